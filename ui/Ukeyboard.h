#pragma once

class QKeyEvent;
class QWidget;

// The keyboard and screen-reader side of every form and page, done in one place from the designs rather than
// page by page.

// Readies the controls of `owner` (nested pages included): skinned buttons take the focus, show it in the
// skin's colour and press on Enter; controls without a caption of their own are named after the label beside
// them or their entry in the language file; a check box or radio button's caption label toggles it. Safe to
// repeat, so it runs whenever a form or page is shown.
void PrepareControls(QWidget* owner);
// Names `w` for assistive technology as its page knows it best ("MAC address 3", "Transmit (Kbps)"), where
// the caption beside it says too little or stands too far; PrepareControls leaves such a name alone.
void SetOwnAccessibleName(QWidget* w, const QString& name);
// Tab visits the focusable controls of `window` in reading order: rows from the top, each from the left. The
// controls of a container (a panel, the shown page) are visited together, in the reading order within it;
// hidden pages are left out. Controls given the same TAB_BLOCK property are visited together too, such as a
// column of numbered edits beside another.
void ArrangeTabOrder(QWidget* window);
inline constexpr char TAB_BLOCK[] = "tabBlock";
// True while the focus is on the page tabs of `window`: a page shown or filled then leaves it there.
bool FocusOnTabList(const QWidget* window);
// Gives the focus to the first control of `page` in tab order unless the focus is on the page or the tab row
// already, so
// that a page just shown can be used from the keyboard at once.
void FocusFirstControl(QWidget* page);
// Enter presses the page's or form's default button (Next, Save, Activate Now, OK), Escape its way out (Exit,
// Cancel, Close), when `owner` itself shows such a button; true when a button was pressed.
bool PressKeyButton(QWidget* owner, const QKeyEvent* e);
