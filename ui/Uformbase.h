#pragma once

#include <QAccessible>
#include <QList>
#include <QStringList>
#include <QWidget>

class QEventLoop;
class QLabel;
class QPixmap;

// Results of a modal form, with the values the message box answers with.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

// Base of every window: captions from the language file, control positions and visibility from the settings
// file, label and bullet layout helpers, and a modal show that records itself in ModalForms.
class TFormBase : public QWidget {
    Q_OBJECT
public:
    explicit TFormBase(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~TFormBase() override;

    // Positions and visibility of the controls owned by `component` from the sections "<base>_CtrlPos" and
    // "<base>_Visible"; a nested page reads its own under "<base>_<page name>".
    virtual void LoadLayout(QWidget* component, const QString& baseName);
    virtual void LoadCtrlPos(QWidget* control, const QString& section);
    virtual QLabel* AddBullet(QWidget* control, const QPixmap& image);
    // Captions of the form's own labels.
    virtual void LoadTexts(const QString& section);
    virtual int FitLabelWidth(QLabel* label);
    virtual void FitLabel(QLabel* label, QWidget* partner, int rightEdge);

    // Shows the form application-modal and returns when a modal result is set or the form is closed
    // (which answers mrCancel).
    int ShowModal();
    int ModalResult() const { return m_ModalResult; }
    void SetModalResult(int result);
    // What a screen reader takes the window for: a window, a dialog, or an alert whose text it reads out.
    virtual QAccessible::Role WindowRole() const { return QAccessible::Window; }

protected:
    // Controls made only when first wanted, by object name: the layout sections may name them before.
    void SetLateControls(const QStringList& names) { m_LateControls = names; }
    void hideEvent(QHideEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QStringList m_LateControls;
    int m_ModalResult = mrNone;
    QEventLoop* m_ModalLoop = nullptr;
};

// Forms inside their modal loop, oldest first. GUI thread only.
extern QList<TFormBase*> ModalForms;
// The newest modal form, or null.
TFormBase* TopModalForm();

// Layout helpers shared by forms and pages.

// The widgets a form or page owns as designed, in design order: every named descendant except the contents
// of nested pages (a nested page itself is included).
QList<QWidget*> OwnedControls(QWidget* owner);
// An image beside `control`, 6 pixels to its left and centred on it; null when either is missing.
QLabel* CreateBullet(QWidget* control, const QPixmap& image);
// Width of the label's caption as the label draws it.
int MeasureLabelText(const QLabel* label);
// Sizes the label to its caption plus 6 pixels and returns the new width.
int FitLabelToText(QLabel* label);
// Sizes the label to its caption and stretches `partner` from 6 pixels after the caption to `rightEdge`.
void FitLabelPair(QLabel* label, QWidget* partner, int rightEdge);
// caption := language text (section, object name, caption) for a label.
void LoadLabelText(QLabel* label, const QString& section);
