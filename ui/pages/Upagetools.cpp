#include "Upagetools.h"
#include "Ulinktexts.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "controls/Sortlv.h"
#include "controls/Trifacebtn.h"
#include "engine/Unicadapter.h"
#include "ui/Uformmsgbox.h"
#include "ui/Uformres.h"

#include <QComboBox>
#include <QHeaderView>

#include <algorithm>

namespace {

constexpr int BUTTON_GAP = 8;
constexpr int LT_AUTO = 5;
constexpr int RATE_AUTO = 15;
constexpr int MAX_CHANNELS = 256;

} // namespace

void SetButtonFaces(TTrifaceBtn* button, const QString& face)
{
    if (!FormRes || !button)
        return;
    const QImage normal = FormRes->Picture(face);
    button->SetFaces(normal);
    button->SetFacesDown(normal);
    button->SetFacesOver(FormRes->Picture(face + QStringLiteral("On")));
    button->SetAutoShape(true);
}

void SetButtonRow(std::initializer_list<std::pair<TTrifaceBtn*, const char*>> rightToLeft, int rightEdge)
{
    int right = rightEdge;
    for (const auto& [button, face] : rightToLeft) {
        SetButtonFaces(button, QLatin1String(face));
        button->move(right - button->width(), button->y());
        right = button->x() - BUTTON_GAP;
    }
}

void SetUpReportList(TSortLv* list, std::initializer_list<int> widths, int sortColumn)
{
    if (FormRes) {
        list->SetIncBMP(FormRes->ImgsSort.Image(0));
        list->SetDecBMP(FormRes->ImgsSort.Image(1));
        list->setIconSize(QSize(FormRes->ImgsType.Width(), FormRes->ImgsType.Height()));
    }
    list->setAllColumnsShowFocus(true);
    int column = 0;
    for (int width : widths) {
        list->setColumnWidth(column, width);
        if (column != 0)
            list->headerItem()->setTextAlignment(column, Qt::AlignCenter);
        ++column;
    }
    list->header()->setSectionsMovable(false);
    list->SetSkipSort1(0);
    list->SetSortColunm(sortColumn);
}

void PaintMarkedRows(QTreeWidget* list, const std::function<bool(const QTreeWidgetItem*)>& marked,
                     const QString& mark)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        const bool isMarked = marked(item);
        const QBrush brush = isMarked ? QBrush(AppliedRowColor()) : QBrush();
        for (int column = 0; column < list->columnCount(); ++column)
            item->setBackground(column, brush);
        const QString said = isMarked ? mark : QString();
        if (item->statusTip(0) != said)
            item->setStatusTip(0, said);
    }
}

int ShowPageMessage(QWidget* page, const char* key, const char* defaultText, int style, const QString& arg)
{
    QString text =
        g_Var.GetLangText(QStringLiteral("Message"), QLatin1String(key), QString::fromUtf8(defaultText));
    // Replaced, not formatted: the text comes from a file the user may edit.
    text.replace(QStringLiteral("%s"), arg);
    return ShowMsgBox(page, text, style);
}

void SortListItems(QTreeWidget* list,
                   const std::function<bool(const QTreeWidgetItem*, const QTreeWidgetItem*)>& lessThan)
{
    QTreeWidgetItem* current = list->currentItem();
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    const QSignalBlocker block(list);
    // Taken out and put back as a whole: one model reset instead of a row removal per item.
    QList<QTreeWidgetItem*> items = list->invisibleRootItem()->takeChildren();
    std::stable_sort(items.begin(), items.end(), lessThan);
    list->addTopLevelItems(items);
    if (current)
        list->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* item : selected)
        item->setSelected(true);
}

void SortByColumnText(TSortLv* list)
{
    const int column = list->SortColunm();
    const bool increase = list->Increase();
    SortListItems(list, [column, increase](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        const QVariant numberA = a->data(column, Qt::UserRole);
        const QVariant numberB = b->data(column, Qt::UserRole);
        // Numbers as text would put "9" after "10".
        const int order = numberA.isValid() && numberB.isValid()
                              ? (numberA.toInt() > numberB.toInt()) - (numberA.toInt() < numberB.toInt())
                              : QString::compare(a->text(column), b->text(column), Qt::CaseInsensitive);
        return increase ? order < 0 : order > 0;
    });
}

int KindImageIndex(uint32_t security, uint32_t networkMode)
{
    return (security != 0 ? 2 : 0) + (networkMode != 1 ? 1 : 0);
}

const QColor& AppliedRowColor()
{
    static const QColor color(0xEA, 0xF5, 0xF7);
    return color;
}

QString RateText(int value)
{
    if (value == 0 || value == RATE_AUTO)
        return CommonText(LT_AUTO);
    return TxRateText(value);
}

QString ProfileChannelText(const WLProfile& profile)
{
    if (profile.NetworkMode != 1 && profile.Channel != 0)
        return QString::number(profile.Channel);
    return CommonText(LT_AUTO);
}

QString ProfileModeText(const WLProfile& profile, const CNICAdapter* adapter)
{
    if (profile.NetworkMode == 1)
        return BandListText(profile.ABGMode);
    if (!adapter)
        return CommonText(LT_AUTO);
    return ModeText(profile.AdHocBand, adapter->ReadSet(QStringLiteral("EnableAdHocG"), true));
}

void StoreEditedText(char* field, size_t size, const QString& edited, int maxChars)
{
    if (edited == BytesText(field, size))
        return;
    CopyTextField(field, size, edited.left(maxChars));
}

void FillChannelCombo(QComboBox* combo, const CNICAdapter& adapter, const QString& key, uint32_t bandBit,
                      TAllowedChannels allowed)
{
    QString text = adapter.ReadSet(key, QString());
    // A setting for the adapter's regulatory domain overrides the general one.
    text = adapter.ReadSet(key + QLatin1Char('_') + adapter.Domain(), text);
    std::vector<int32_t> channels(MAX_CHANNELS);
    int count = 0;
    if (!text.isEmpty()) {
        count = ParseIntList(text, channels.data(), MAX_CHANNELS);
    } else {
        channels.resize(size_t(std::max((adapter.*allowed)(nullptr, 0, bandBit), MAX_CHANNELS)));
        count = (adapter.*allowed)(channels.data(), int(channels.size()), bandBit);
    }
    count = std::min(count, MAX_CHANNELS);
    for (int i = 0; i < count && channels[size_t(i)] >= 0; ++i) {
        const int channel = channels[size_t(i)];
        combo->addItem(channel == 0 ? CommonText(LT_AUTO) : QString::number(channel), channel);
    }
}

void FetchSiteList(QObject* page, CNICAdapter* const& adapter,
                   const std::function<void(const std::vector<TSSiteEntry>&)>& show,
                   const std::function<void()>& ended)
{
    if (!adapter) {
        ended();
        return;
    }
    adapter->Request(
        page,
        [](CNICAdapter& a) {
            TSiteList list;
            a.GetSiteList(list);
            return list;
        },
        [&adapter, asked = adapter, show, ended](const TSiteList& list) {
            if (adapter == asked)
                show(list);
            ended();
        });
}

void DisableKeepingFocus(QWidget* button, QWidget* heir)
{
    if (button->hasFocus())
        heir->setFocus(Qt::OtherFocusReason);
    button->setEnabled(false);
}
