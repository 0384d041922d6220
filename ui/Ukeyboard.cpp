#include "Ukeyboard.h"
#include "Propertypageframeunit.h"
#include "Ucaptionclick.h"
#include "Uformbase.h"
#include "Uwinutil.h"
#include "app/Udefine.h"
#include "controls/Skinaccessible.h"
#include "controls/Sortlv.h"
#include "controls/Tablist.h"
#include "controls/Trifacebtn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <optional>

namespace {

const QString SECTION = QStringLiteral("Accessible");
// Set on a control its page has named itself.
constexpr char OWN_NAME[] = "ownAccessibleName";
// A caption further than this from its control belongs to something else. Captions on the left stand in a
// column of their own, sized to their text, so they may end well before their control.
constexpr int CAPTION_REACH = 24;
constexpr int LEFT_CAPTION_REACH = 160;

// Names of controls whose caption is painted into their picture or stands apart from them.
struct TControlName {
    const char* Key;
    const char* Text;
};
constexpr TControlName CONTROL_NAMES[] = {
    {"BtnActivate", "Activate"},
    {"BtnAdd", "Add"},
    {"BtnDelete", "Delete"},
    {"BtnEdit", "Edit"},
    {"BtnActNow", "Activate Now"},
    {"BtnActLater", "Activate Later"},
    {"BtnSave", "Save"},
    {"BtnBack", "Back"},
    {"BtnNext", "Next"},
    {"BtnExit", "Exit"},
    {"BtnCancel", "Cancel"},
    {"BtnScan", "Scan"},
    {"BtnSelect", "Select"},
    {"BtnConnect", "Connect"},
    {"BtnRefresh", "Refresh"},
    {"BtnTChart", "Chart"},
    {"BtnClose", "Close"},
    {"BtnHelp", "Help"},
    {"BtnAbout", "About"},
    {"LvProf", "Profile List"},
    {"LvSite", "Networks in Range"},
    {"LvMAC", "Associated Stations"},
    // The four key edits share one place and one caption, which names only the key shown.
    {"EdtKey1", "Key 1"},
    {"EdtKey2", "Key 2"},
    {"EdtKey3", "Key 3"},
    {"EdtKey4", "Key 4"},
};

const QStringList DEFAULT_BUTTONS{QStringLiteral("BtnNext"), QStringLiteral("BtnSave"),
                                  QStringLiteral("BtnActNow"), QStringLiteral("BtnOk")};
const QStringList CANCEL_BUTTONS{QStringLiteral("BtnExit"), QStringLiteral("BtnCancel"),
                                 QStringLiteral("BtnClose")};

QString NameFromLanguage(const QWidget* w)
{
    const QString key = w->objectName();
    if (key.isEmpty())
        return QString();
    const auto* known = std::find_if(std::begin(CONTROL_NAMES), std::end(CONTROL_NAMES),
                                     [&key](const TControlName& n) { return key == QLatin1String(n.Key); });
    const QString def = known != std::end(CONTROL_NAMES) ? QString::fromLatin1(known->Text) : QString();
    return g_Var.GetLangText(SECTION, key, def);
}

bool IsCaption(const QLabel* label)
{
    return label->pixmap().isNull() && !label->text().trimmed().isEmpty() && !CaptionOfValue(label) &&
           !label->objectName().startsWith(QLatin1String("Lbl"));
}

enum TCaptionSide { csRight, csLeft, csAbove };

// Pixels between a control at `r` and a label at `l` on that side of it, or -1 when the label is not there.
int CaptionGap(const QRect& r, const QRect& l, TCaptionSide side)
{
    const int centre = l.center().y();
    const bool sameRow = centre >= r.top() && centre <= r.bottom();
    const bool overlapsColumn = l.left() <= r.right() && l.right() >= r.left();
    int gap = LEFT_CAPTION_REACH + 1;
    if (side == csRight && sameRow)
        gap = l.left() - r.right() - 1;
    else if (side == csLeft && sameRow)
        gap = r.left() - l.right() - 1;
    else if (side == csAbove && overlapsColumn && l.bottom() < r.top())
        gap = r.top() - l.bottom() - 1;
    // A caption sized to its text may reach a pixel or two into its partner.
    const int reach = side == csLeft ? LEFT_CAPTION_REACH : CAPTION_REACH;
    return gap >= -2 && gap <= reach ? std::max(gap, 0) : -1;
}

// The nearest caption label on that side of `w` among its siblings.
QLabel* CaptionBeside(const QWidget* w, TCaptionSide side)
{
    if (!w->parentWidget())
        return nullptr;
    QLabel* best = nullptr;
    int bestGap = LEFT_CAPTION_REACH + 1;
    for (QLabel* label : w->parentWidget()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        const int gap = IsCaption(label) ? CaptionGap(w->geometry(), label->geometry(), side) : -1;
        if (gap >= 0 && gap < bestGap) {
            best = label;
            bestGap = gap;
        }
    }
    return best;
}

QString CaptionText(const QLabel* label)
{
    return CaptionAndValue(label->text(), QString());
}

// A button's caption stands on its right (the mode switch); an edit's or list's on its left or above it.
// The caption also becomes the control's buddy: on this platform a reader finds a list box's caption only
// through that relation.
void NameControl(QWidget* w, bool isButton)
{
    if (w->property(OWN_NAME).toBool())
        return;
    QString name = NameFromLanguage(w);
    QLabel* caption = nullptr;
    if (name.isEmpty())
        caption = isButton ? CaptionBeside(w, csRight) : CaptionBeside(w, csLeft);
    if (name.isEmpty() && !caption && !isButton)
        caption = CaptionBeside(w, csAbove);
    if (caption)
        name = CaptionText(caption);
    if (caption && !isButton && caption->buddy() != w)
        caption->setBuddy(w);
    if (!name.isEmpty() && name != w->accessibleName())
        w->setAccessibleName(name);
}

void PrepareButton(TColorButton* button)
{
    if (button->focusPolicy() == Qt::NoFocus)
        button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(true);
    if (auto* skinned = qobject_cast<TTrifaceBtn*>(button))
        skinned->SetFocusColor(SKIN_CAPTION_TEXT);
    if (button->text().isEmpty())
        NameControl(button, true);
}

// A box whose caption is a label of its own: the label names it and toggles it.
void PrepareBox(QAbstractButton* box)
{
    if (!box->text().isEmpty())
        return;
    QLabel* caption = CaptionBeside(box, csRight);
    if (!caption)
        return;
    TCaptionClick::Attach(caption, box);
    const QString name = CaptionText(caption);
    if (name != box->accessibleName())
        box->setAccessibleName(name);
}

bool TakesTab(const QWidget* w, const QWidget* window)
{
    const QString& name = w->objectName();
    return (w->focusPolicy() & Qt::TabFocus) && w->window() == window && !name.isEmpty() &&
           !name.startsWith(QLatin1String("qt_"));
}

// What Tab visits as one piece: a control, or the controls of a container (a panel, a page, controls that
// share a tab block) one after another.
struct TTabUnit {
    QRect Place;
    QList<QWidget*> Controls;
    bool Block = false;
};

QRect PlaceIn(const QWidget* w, const QWidget* window)
{
    return {w->mapTo(window, QPoint(0, 0)), w->size()};
}

TTabUnit BlockOf(QList<QWidget*> controls, const QWidget* window)
{
    TTabUnit unit{{}, std::move(controls), true};
    for (const QWidget* w : std::as_const(unit.Controls))
        unit.Place |= PlaceIn(w, window);
    return unit;
}

// Rows from the top: a unit joins the row of the first one whose height its middle falls in; a block is a
// row of its own, so that a page's controls are never mixed with those beside it.
QList<QWidget*> InReadingOrder(QList<TTabUnit> units)
{
    std::stable_sort(units.begin(), units.end(), [](const TTabUnit& a, const TTabUnit& b) {
        return a.Place.top() != b.Place.top() ? a.Place.top() < b.Place.top()
                                              : a.Place.left() < b.Place.left();
    });
    QList<QWidget*> chain;
    for (qsizetype start = 0; start < units.size();) {
        const TTabUnit& anchor = units[start];
        qsizetype end = start + 1;
        while (!anchor.Block && end < units.size() && units[end].Place.center().y() <= anchor.Place.bottom())
            ++end;
        std::stable_sort(
            units.begin() + start, units.begin() + end,
            [](const TTabUnit& a, const TTabUnit& b) { return a.Place.left() < b.Place.left(); });
        for (qsizetype i = start; i < end; ++i)
            chain << units[i].Controls;
        start = end;
    }
    return chain;
}

bool IsHiddenPage(const QWidget* w)
{
    return w->isHidden() && qobject_cast<const TPropertyPageFrame*>(w);
}

// The controls of `container` in reading order. A hidden page is left out: it is arranged when shown.
QList<QWidget*> ReadingOrder(const QWidget* container, const QWidget* window)
{
    QList<TTabUnit> units;
    QMap<QString, QList<QWidget*>> blocks;
    for (QWidget* w : container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->isWindow() || IsHiddenPage(w))
            continue;
        const QString block = w->property(TAB_BLOCK).toString();
        if (TakesTab(w, window) && !block.isEmpty())
            blocks[block] << w;
        else if (TakesTab(w, window))
            units << TTabUnit{PlaceIn(w, window), {w}};
        else if (QList<QWidget*> inner = ReadingOrder(w, window); !inner.isEmpty())
            units << BlockOf(std::move(inner), window);
    }
    for (QList<QWidget*>& block : blocks) {
        QList<TTabUnit> members;
        for (QWidget* w : std::as_const(block))
            members << TTabUnit{PlaceIn(w, window), {w}};
        units << BlockOf(InReadingOrder(members), window);
    }
    return InReadingOrder(units);
}

QList<QWidget*> ReadingOrder(QWidget* window)
{
    return ReadingOrder(window, window);
}

} // namespace

void PrepareControls(QWidget* owner)
{
    for (TColorButton* button : owner->findChildren<TColorButton*>())
        PrepareButton(button);
    for (QAbstractButton* box : owner->findChildren<QAbstractButton*>())
        if (qobject_cast<QCheckBox*>(box) || qobject_cast<QRadioButton*>(box))
            PrepareBox(box);
    for (QWidget* w : owner->findChildren<QWidget*>()) {
        const bool named =
            qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<TSortLv*>(w);
        if (named && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            NameControl(w, false);
    }
}

void SetOwnAccessibleName(QWidget* w, const QString& name)
{
    w->setProperty(OWN_NAME, true);
    if (name != w->accessibleName())
        w->setAccessibleName(name);
}

void ArrangeTabOrder(QWidget* window)
{
    const QList<QWidget*> chain = ReadingOrder(window);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

bool FocusOnTabList(const QWidget* window)
{
    const QWidget* focus = window ? window->focusWidget() : nullptr;
    return focus && qobject_cast<const TTabList*>(focus->parentWidget());
}

void FocusFirstControl(QWidget* page)
{
    QWidget* window = page->window();
    if (page->isAncestorOf(window->focusWidget()) || FocusOnTabList(window))
        return;
    QList<QWidget*> usable;
    for (QWidget* w : ReadingOrder(window))
        if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled())
            usable << w;
    // A page of buttons only starts on its default one, so that Enter goes on rather than back.
    const auto input = std::find_if(usable.begin(), usable.end(),
                                    [](const QWidget* w) { return !qobject_cast<const QPushButton*>(w); });
    const auto byDefault = std::find_if(usable.begin(), usable.end(), [](const QWidget* w) {
        return DEFAULT_BUTTONS.contains(w->objectName());
    });
    const auto first = input != usable.end() ? input : byDefault != usable.end() ? byDefault : usable.begin();
    // As if tabbed to: an edit then selects its proposed text, so that typing replaces it.
    if (first != usable.end())
        (*first)->setFocus(Qt::TabFocusReason);
}

bool PressKeyButton(QWidget* owner, const QKeyEvent* e)
{
    if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const QStringList* names = nullptr;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        names = &DEFAULT_BUTTONS;
    else if (e->key() == Qt::Key_Escape)
        names = &CANCEL_BUTTONS;
    if (!names)
        return false;
    for (QWidget* w : OwnedControls(owner)) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (button && names->contains(button->objectName()) && button->isVisible() && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return false;
}
