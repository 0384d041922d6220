#include "Propertypageframeunit.h"
#include "Uformbase.h"
#include "Ukeyboard.h"
#include "app/Udefine.h"
#include "controls/Skinaccessible.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaProperty>
#include <QTableView>
#include <QTreeView>

namespace {

// Character height a caption drops to when it does not fit its label.
constexpr int SHRUNK_FONT_PIXELS = 11;

// A container that carries a caption of its own (a panel with a "text" property, such as the paint panel).
bool IsCaptionPanel(const QWidget* w)
{
    if (!qobject_cast<const QFrame*>(w))
        return false;
    const QMetaObject* meta = w->metaObject();
    const int index = meta->indexOfProperty("text");
    return index >= 0 && meta->property(index).isWritable() &&
           meta->property(index).metaType() == QMetaType::fromType<QString>();
}

void LoadCaption(QWidget* w, const char* property, const QString& section)
{
    const QString current = w->property(property).toString();
    const QString text = g_Var.GetLangText(section, w->objectName(), current);
    if (text != current)
        w->setProperty(property, text);
}

void LoadColumnTexts(QAbstractItemView* view, const QString& section)
{
    QAbstractItemModel* model = view->model();
    if (!model)
        return;
    for (int i = 0; i < model->columnCount(); ++i) {
        const QString key = QStringLiteral("%1_Col%2").arg(view->objectName()).arg(i);
        const QString current = model->headerData(i, Qt::Horizontal).toString();
        const QString text = g_Var.GetLangText(section, key, current);
        if (text != current)
            model->setHeaderData(i, Qt::Horizontal, text);
    }
}

} // namespace

TPropertyPageFrame::TPropertyPageFrame(QWidget* parent) : QFrame(parent)
{
    // Before any control exists: a reader's view of a control is made once and kept.
    InstallSkinAccessibility();
}

QLabel* TPropertyPageFrame::AddBullet(QWidget* control, const QPixmap& image)
{
    return CreateBullet(control, image);
}

void TPropertyPageFrame::LoadTexts(const QString& section)
{
    for (QWidget* control : OwnedControls(this)) {
        if (auto* label = qobject_cast<QLabel*>(control))
            LoadLabelText(label, section);
        else if (qobject_cast<QCheckBox*>(control))
            LoadCaption(control, "text", section);
        else if (qobject_cast<QGroupBox*>(control))
            LoadCaption(control, "title", section);
        else if (qobject_cast<QTreeView*>(control) || qobject_cast<QTableView*>(control))
            LoadColumnTexts(static_cast<QAbstractItemView*>(control), section);
        else if (IsCaptionPanel(control))
            LoadCaption(control, "text", section);
    }
}

void TPropertyPageFrame::FitLabel(QLabel* label, QWidget* partner, int rightEdge)
{
    FitLabelPair(label, partner, rightEdge);
}

void TPropertyPageFrame::ShrinkLabelFont(QLabel* label)
{
    if (!label || QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width())
        return;
    QFont font = label->font();
    font.setPixelSize(SHRUNK_FONT_PIXELS);
    label->setFont(font);
}

void TPropertyPageFrame::InitPage() {}

void TPropertyPageFrame::DonePage() {}

void TPropertyPageFrame::ClearPage() {}

bool TPropertyPageFrame::EnterPage(TPropertyPageFrame* leftPage, int mode, int /*context*/)
{
    // Pages set their captions on entry, before they call this: the names follow them.
    PrepareControls(this);
    if (mode == pmForward)
        BackPage = leftPage;
    return true;
}

bool TPropertyPageFrame::LeavePage(TPropertyPageFrame* /*nextPage*/, int mode, int /*context*/)
{
    if (mode == pmBackward)
        BackPage = nullptr;
    return true;
}

void TPropertyPageFrame::SetAdapter(CNICAdapter* /*adapter*/, int /*change*/, int /*flags*/) {}

void TPropertyPageFrame::AdapterEvent(CNICAdapter* /*adapter*/, int /*code*/, int /*value*/) {}

void TPropertyPageFrame::showEvent(QShowEvent* e)
{
    QFrame::showEvent(e);
    PrepareControls(this);
    ArrangeTabOrder(window());
    FocusFirstControl(this);
}

bool TPropertyPageFrame::MayEscape()
{
    return true;
}

void TPropertyPageFrame::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        for (QWidget* w = this; w; w = w->parentWidget()) {
            auto* page = qobject_cast<TPropertyPageFrame*>(w);
            if (page && !page->MayEscape())
                return;
        }
    }
    if (!PressKeyButton(this, e))
        QFrame::keyPressEvent(e);
}
