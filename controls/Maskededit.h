#pragma once

#include <QLineEdit>

// An edit for a stored secret (pass phrase, key, password). While masked it shows "*" for every character;
// the first key press empties it and turns the mask off, and that key is then typed into the empty edit. A
// stored secret is therefore never shown, only replaced.
//
// It also reports a character typed while the edit already holds its maximum length, which a plain edit
// swallows without a sign.
class TMaskedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskedEdit(QWidget* parent = nullptr);

    bool Masked() const { return echoMode() == QLineEdit::Password; }
    // Turns the mask on only for a non-empty text: an empty edit shows what is typed.
    void SetMasked(bool value);

Q_SIGNALS:
    void MaxTextReached();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
