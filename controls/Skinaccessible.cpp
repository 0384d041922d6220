#include "Skinaccessible.h"
#include "Levelrow.h"
#include "Tablist.h"
#include "Trifacelabel.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace {

const QLatin1String VALUE_PREFIX("Lbl");
// Set on a label that says what went wrong.
constexpr char ALERT_PROPERTY[] = "accessibleAlert";
// Set on a picture that only decorates (a caption's bullet).
constexpr char DECORATIVE_PROPERTY[] = "accessibleDecorative";
const QLatin1String CAPTION_PREFIX("Lb");

// A page tab of the main window: a label a person presses to switch pages. Every tab of the row can take the
// focus, by the arrow keys from the current one, and the current one is selected.
class TTabAccessible : public QAccessibleWidget {
public:
    explicit TTabAccessible(TTrifaceLabel* tab) : QAccessibleWidget(tab, QAccessible::PageTab) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const TTrifaceLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const auto* list = qobject_cast<const TTabList*>(widget()->parentWidget());
        if (!list)
            return s;
        s.focusable = true;
        s.selectable = true;
        s.selected = list->Current() == widget();
        return s;
    }
};

// A lamp row read as a level: its name is its caption, its value "7 of 10".
class TLevelAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TLevelAccessible(TLevelRow* row) : QAccessibleWidget(row, QAccessible::ProgressBar) {}
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                : QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? Row()->LevelText() : QAccessibleWidget::text(t);
    }
    // The lamps are the level's picture, said as its value: no unnamed images below it.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QVariant currentValue() const override { return Row()->Level(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return Row()->Maximum(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const TLevelRow* Row() const { return static_cast<const TLevelRow*>(widget()); }
};

// Every label: a value label is said with its caption, so a reader walking the page hears
// "SSID: Harbor-Office" rather than a bare value. The pairing is looked up when the label is read, because
// the interface may be made while the label is still being built and has no name yet.
class TLabelAccessible : public QAccessibleWidget {
public:
    explicit TLabelAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    QAccessible::Role role() const override
    {
        const auto* label = static_cast<const QLabel*>(widget());
        if (label->property(ALERT_PROPERTY).toBool() && !label->text().isEmpty())
            return QAccessible::AlertMessage;
        return label->pixmap().isNull() ? QAccessible::StaticText : QAccessible::Graphic;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (widget()->property(DECORATIVE_PROPERTY).toBool())
            s.invisible = true;
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        const auto* value = static_cast<const QLabel*>(widget());
        if (t == QAccessible::Value)
            return value->text();
        if (t != QAccessible::Name || !value->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        const QLabel* caption = CaptionOfValue(value);
        return caption ? CaptionAndValue(caption->text(), value->text()) : value->text();
    }
};

QAccessibleInterface* SkinFactory(const QString& className, QObject* object)
{
    if (auto* row = qobject_cast<TLevelRow*>(object); row && className == QLatin1String("TLevelRow"))
        return new TLevelAccessible(row);
    if (auto* tab = qobject_cast<TTrifaceLabel*>(object); tab && className == QLatin1String("TTrifaceLabel"))
        return new TTabAccessible(tab);
    if (auto* list = qobject_cast<TTabList*>(object); list && className == QLatin1String("TTabList"))
        return new QAccessibleWidget(list, QAccessible::PageTabList);
    if (auto* label = qobject_cast<QLabel*>(object); label && className == QLatin1String("QLabel"))
        return new TLabelAccessible(label);
    return nullptr;
}

} // namespace

void InstallSkinAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&SkinFactory);
}

QLabel* CaptionOfValue(const QLabel* value)
{
    const QString name = value->objectName();
    if (!name.startsWith(VALUE_PREFIX) || !value->parentWidget())
        return nullptr;
    const QString captionName = CAPTION_PREFIX + name.mid(VALUE_PREFIX.size());
    return value->parentWidget()->findChild<QLabel*>(captionName, Qt::FindDirectChildrenOnly);
}

QString CaptionAndValue(const QString& caption, const QString& value)
{
    QString said = caption.trimmed();
    while (said.endsWith(QLatin1Char(':')))
        said.chop(1);
    if (said.isEmpty())
        return value;
    return value.isEmpty() ? said : QStringLiteral("%1: %2").arg(said, value);
}

void AnnounceAlert(QLabel* label)
{
    label->setProperty(ALERT_PROPERTY, true);
    if (label->text().isEmpty())
        return;
    // The description holds the reason as well: some readers say an alert's description only.
    label->setAccessibleDescription(label->text());
    // Readers speak an alert when it shows; the alert event is the toolkit's own way of saying so.
    for (const QAccessible::Event type : {QAccessible::ObjectShow, QAccessible::Alert}) {
        QAccessibleEvent event(label, type);
        QAccessible::updateAccessibility(&event);
    }
}

void MarkDecorative(QLabel* picture)
{
    picture->setProperty(DECORATIVE_PROPERTY, true);
}
