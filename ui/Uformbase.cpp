#include "Uformbase.h"
#include "Propertypageframeunit.h"
#include "Ukeyboard.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Uinifile.h"
#include "app/Uutility.h"
#include "controls/Skinaccessible.h"

#include <QAccessibleWidget>
#include <QEventLoop>
#include <QHideEvent>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <algorithm>

QList<TFormBase*> ModalForms;

namespace {

// Gap between a caption and what follows it, and between a bullet and its control.
constexpr int LABEL_GAP = 6;
// A position value is left, top, width, height; further numbers are ignored.
constexpr int POSITION_ITEMS = 4;

// Widgets made at run time (bullets, lamps) carry no name, and Qt's own inner widgets a "qt_" one; neither
// belongs to a design.
bool IsDesignedControl(const QWidget* w)
{
    const QString& name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

void CollectOwned(QWidget* parent, QList<QWidget*>& out)
{
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        if (IsDesignedControl(w))
            out << w;
        if (!qobject_cast<TPropertyPageFrame*>(w))
            CollectOwned(w, out);
    }
}

// Logs keys of a layout section that name no control: a hand-edited settings file with a typo would
// otherwise be ignored without a trace.
void ReportUnknownKeys(const QString& section, const QList<QWidget*>& controls, const QStringList& late)
{
    const CIniFile* settings = g_Var.SettingsReader();
    if (!settings)
        return;
    for (const QString& key : settings->SectionKeys(section)) {
        const bool known = std::any_of(controls.begin(), controls.end(), [&key](const QWidget* w) {
            return w->objectName().compare(key, Qt::CaseInsensitive) == 0;
        });
        if (!known && !late.contains(key, Qt::CaseInsensitive))
            DebugPrint("TFormBase::LoadLayout: [%s] names no control: %s", qPrintable(section),
                       qPrintable(key));
    }
}

constexpr int32_t POSITION_LIMIT = 32767;

// A form's window as its kind says; asked when read, as the interface may be made while the form is built.
class TFormAccessible : public QAccessibleWidget {
public:
    explicit TFormAccessible(TFormBase* form) : QAccessibleWidget(form, QAccessible::Window) {}
    QAccessible::Role role() const override { return static_cast<const TFormBase*>(widget())->WindowRole(); }
};

QAccessibleInterface* FormFactory(const QString& className, QObject* object)
{
    auto* form = qobject_cast<TFormBase*>(object);
    const bool mostDerived = form && className == QLatin1String(object->metaObject()->className());
    return mostDerived && form->isWindow() ? new TFormAccessible(form) : nullptr;
}

} // namespace

TFormBase::TFormBase(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    // Before any control exists: a reader's view of a control is made once and kept.
    InstallSkinAccessibility();
    static const bool formsInstalled = [] {
        QAccessible::installFactory(&FormFactory);
        return true;
    }();
    Q_UNUSED(formsInstalled);
}

TFormBase::~TFormBase()
{
    // A form destroyed inside its own modal loop must not stay listed for the close-forms thread.
    if (m_ModalLoop)
        m_ModalLoop->exit();
    ModalForms.removeAll(this);
}

void TFormBase::LoadLayout(QWidget* component, const QString& baseName)
{
    if (!component)
        return;
    const QString posSection = baseName + QStringLiteral("_CtrlPos");
    const QString visSection = baseName + QStringLiteral("_Visible");
    const QList<QWidget*> controls = OwnedControls(component);
    for (QWidget* control : controls) {
        if (qobject_cast<TPropertyPageFrame*>(control))
            LoadLayout(control, QStringLiteral("%1_%2").arg(baseName, control->objectName()));
        LoadCtrlPos(control, posSection);
        const bool visible = g_Var.InfoRead(visSection, control->objectName(), !control->isHidden());
        if (visible == control->isHidden())
            control->setVisible(visible);
    }
    ReportUnknownKeys(posSection, controls, m_LateControls);
    ReportUnknownKeys(visSection, controls, m_LateControls);
}

void TFormBase::LoadCtrlPos(QWidget* control, const QString& section)
{
    if (!control)
        return;
    const QString value = g_Var.InfoRead(section, control->objectName(), QString()).trimmed();
    if (value.isEmpty())
        return;
    int32_t items[POSITION_ITEMS] = {};
    const int count = std::min(ParseIntList(value, items, POSITION_ITEMS), POSITION_ITEMS);
    // A hand-edited value near the integer limits would overflow the rectangle's arithmetic; no screen
    // reaches beyond this.
    for (int32_t& item : items)
        item = std::clamp(item, -POSITION_LIMIT, POSITION_LIMIT);
    if (count == 0) {
        DebugPrint("TFormBase::LoadCtrlPos: [%s] %s has no position: %s", qPrintable(section),
                   qPrintable(control->objectName()), qPrintable(value));
        return;
    }
    QRect r = control->geometry();
    r.moveLeft(items[0]);
    if (count > 1)
        r.moveTop(items[1]);
    if ((count > 2 && items[2] < 0) || (count > 3 && items[3] < 0)) {
        DebugPrint("TFormBase::LoadCtrlPos: [%s] %s negative size ignored: %s", qPrintable(section),
                   qPrintable(control->objectName()), qPrintable(value));
    } else {
        if (count > 2)
            r.setWidth(items[2]);
        if (count > 3)
            r.setHeight(items[3]);
    }
    control->setGeometry(r);
}

QLabel* TFormBase::AddBullet(QWidget* control, const QPixmap& image)
{
    return CreateBullet(control, image);
}

void TFormBase::LoadTexts(const QString& section)
{
    for (QWidget* control : OwnedControls(this))
        if (auto* label = qobject_cast<QLabel*>(control))
            LoadLabelText(label, section);
}

int TFormBase::FitLabelWidth(QLabel* label)
{
    return FitLabelToText(label);
}

void TFormBase::FitLabel(QLabel* label, QWidget* partner, int rightEdge)
{
    FitLabelPair(label, partner, rightEdge);
}

int TFormBase::ShowModal()
{
    if (m_ModalLoop) {
        DebugPrint("TFormBase::ShowModal: %s is already modal", qPrintable(objectName()));
        return mrNone;
    }
    m_ModalResult = mrNone;
    ModalForms.append(this);
    QPointer<TFormBase> alive(this);
    QEventLoop loop;
    m_ModalLoop = &loop;
    setWindowModality(Qt::ApplicationModal);
    show();
    if (m_ModalResult == mrNone)
        loop.exec(QEventLoop::DialogExec);
    if (!alive)
        return mrCancel;
    m_ModalLoop = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    // Nested modal forms end in reverse order, so this form's entry is the newest one left.
    ModalForms.removeAt(ModalForms.lastIndexOf(this));
    return m_ModalResult;
}

void TFormBase::SetModalResult(int result)
{
    m_ModalResult = result;
    if (m_ModalLoop && result != mrNone)
        m_ModalLoop->exit(result);
}

void TFormBase::hideEvent(QHideEvent* e)
{
    if (m_ModalLoop && !e->spontaneous() && m_ModalResult == mrNone)
        SetModalResult(mrCancel);
    QWidget::hideEvent(e);
}

void TFormBase::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    PrepareControls(this);
    ArrangeTabOrder(this);
}

void TFormBase::keyPressEvent(QKeyEvent* e)
{
    if (!PressKeyButton(this, e))
        QWidget::keyPressEvent(e);
}

TFormBase* TopModalForm()
{
    return ModalForms.isEmpty() ? nullptr : ModalForms.last();
}

QList<QWidget*> OwnedControls(QWidget* owner)
{
    QList<QWidget*> controls;
    if (owner)
        CollectOwned(owner, controls);
    return controls;
}

QLabel* CreateBullet(QWidget* control, const QPixmap& image)
{
    if (!control || image.isNull() || !control->parentWidget())
        return nullptr;
    // The bullet shares the control's parent so that both use the same coordinates.
    auto* bullet = new QLabel(control->parentWidget());
    bullet->setPixmap(image);
    MarkDecorative(bullet);
    const QSize size = image.deviceIndependentSize().toSize();
    bullet->setGeometry(control->x() - size.width() - LABEL_GAP,
                        control->y() + (control->height() - size.height()) / 2, size.width(), size.height());
    bullet->setVisible(!control->isHidden());
    return bullet;
}

int MeasureLabelText(const QLabel* label)
{
    int flags = int(label->alignment() & Qt::AlignHorizontal_Mask) | Qt::TextExpandTabs;
    if (label->wordWrap())
        flags |= Qt::TextWordWrap;
    // A label only treats '&' as a mnemonic when it has a buddy; otherwise the character is drawn.
    if (label->buddy())
        flags |= Qt::TextShowMnemonic;
    return QFontMetrics(label->font()).boundingRect(label->rect(), flags, label->text()).width();
}

int FitLabelToText(QLabel* label)
{
    if (!label)
        return 0;
    const int width = MeasureLabelText(label) + LABEL_GAP;
    label->resize(width, label->height());
    return width;
}

void FitLabelPair(QLabel* label, QWidget* partner, int rightEdge)
{
    if (!label || !partner)
        return;
    const int left = label->x() + FitLabelToText(label);
    partner->setGeometry(left, partner->y(), rightEdge - left, partner->height());
}

void LoadLabelText(QLabel* label, const QString& section)
{
    // A label that shows a picture is an image control: a caption would replace its picture.
    if (!label->pixmap().isNull())
        return;
    const QString text = g_Var.GetLangText(section, label->objectName(), label->text());
    if (text != label->text())
        label->setText(text);
}
