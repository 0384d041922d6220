#pragma once

#include <QLineEdit>

// An edit for a stored secret (pass phrase, key, password). While masked it shows "*" for every character;
// the first key press empties it and turns the mask off, and that key is then typed into the empty edit. A
// stored secret is therefore never shown, only replaced. What the user types shows its characters only while
// the edit is revealed (a "show characters" switch of the page); a stored secret stays masked regardless.
//
// It also reports a character typed while the edit already holds its maximum length, which a plain edit
// swallows without a sign.
class TMaskedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskedEdit(QWidget* parent = nullptr);

    // True while the edit holds a stored secret.
    bool Masked() const { return m_Stored; }
    // Marks a non-empty text as a stored secret (masked until replaced); false makes it the user's own text.
    void SetMasked(bool value);
    // Whether the user's own text shows its characters (the default) or "*".
    void SetRevealed(bool value);

Q_SIGNALS:
    void MaxTextReached();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void UpdateEcho();

    bool m_Stored = false;
    bool m_Revealed = true;
};
