#pragma once

#include "Uformbase.h"

#include <QRect>
#include <QString>
#include <memory>

namespace Ui {
class FormMsgBox;
}

// The program's own message box: skinned buttons whose captions come from the language file, an optional
// standard icon and a text area that grows with the message. The style uses the bit layout of the classic
// message box flags (low four bits: buttons, next four bits: icon).
class TFormMsgBox : public TFormBase {
    Q_OBJECT
public:
    explicit TFormMsgBox(QWidget* parent = nullptr);
    QAccessible::Role WindowRole() const override { return QAccessible::AlertMessage; }
    ~TFormMsgBox() override;

    // Lays the box out for `text` and `style`, shows it modally centred on `owner` (or on the screen when the
    // owner is missing or hidden) and returns the pressed button's result; closing the box gives mrCancel.
    int RunMsgBox(QWidget* owner, const QString& text, int style);

    // Converts "\n" escapes, sizes the text area to the longest line and shows the text.
    void FitMessage(const QString& text);
    // Places the icon and buttons under the text, sets their captions and results, and sizes the box.
    void ArrangeButtons(int style);

    // What a box showed instead of running its modal loop while an answer was set.
    struct TShownMessage {
        QString Text; // after escape conversion
        int Style = 0;
        QRect Geometry; // where the box would have appeared
        int Count = 0;  // boxes answered through the hook so far
    };
    // Test hook: the next box answers `result` at once instead of running its modal loop, and records what it
    // would have shown. One answer per call; mrNone withdraws an answer not yet used.
    static void SetNextAnswer(int result);
    static const TShownMessage& LastShown();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    std::unique_ptr<Ui::FormMsgBox> ui;
    int m_OkResult = mrOk;
    int m_CancelResult = mrCancel;
};

// Shows the program's message box over the window that contains `anyControl` (which may be null) and
// returns its result. The settings object offers this as its ShowMsgBox; it lives here because the settings
// layer has no widgets.
int ShowMsgBox(QWidget* anyControl, const QString& text, int style);
