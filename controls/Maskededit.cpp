#include "Maskededit.h"

#include <QKeyEvent>
#include <QProxyStyle>

namespace {

// The mask character the program has always shown, whatever the platform style prefers.
class TStarMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return '*';
        if (hint == QStyle::SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Keys that change the text: characters, Backspace and Delete; not moves, tabs or shortcuts.
bool EditsText(const QKeyEvent* e)
{
    if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete)
        return true;
    const QString text = e->text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
}

} // namespace

TMaskedEdit::TMaskedEdit(QWidget* parent) : QLineEdit(parent)
{
    auto* style = new TStarMaskStyle;
    style->setParent(this);
    setStyle(style);
}

void TMaskedEdit::SetMasked(bool value)
{
    m_Stored = value && !text().isEmpty();
    UpdateEcho();
}

void TMaskedEdit::SetRevealed(bool value)
{
    m_Revealed = value;
    UpdateEcho();
}

void TMaskedEdit::UpdateEcho()
{
    setEchoMode(m_Stored || !m_Revealed ? QLineEdit::Password : QLineEdit::Normal);
}

void TMaskedEdit::keyPressEvent(QKeyEvent* e)
{
    if (EditsText(e) && m_Stored) {
        m_Stored = false;
        UpdateEcho();
        clear();
    }
    const bool full = text().size() >= maxLength() && !hasSelectedText();
    if (full && EditsText(e) && e->key() != Qt::Key_Backspace && e->key() != Qt::Key_Delete)
        Q_EMIT MaxTextReached();
    QLineEdit::keyPressEvent(e);
}
