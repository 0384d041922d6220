#pragma once

#include <QFrame>
#include <QPointer>

class CNICAdapter;
class QLabel;
class QPixmap;

// Modes of EnterPage and LeavePage.
enum TPageMode : int {
    pmSwitchTab = 0, // the main window switches its tab
    pmForward = 1,   // Next in the profile editor
    pmBackward = 2,  // Back in the profile editor
};

// Change types of SetAdapter.
enum TAdapterChange : int {
    acAttach = 1,
    acDetach = 2,
};

// Base of every page shown inside the main window or the profile editor. Containers drive a page only through
// the virtual operations below; the page translates its own controls and lays out its label pairs.
class TPropertyPageFrame : public QFrame {
    Q_OBJECT
public:
    explicit TPropertyPageFrame(QWidget* parent = nullptr);

    virtual QLabel* AddBullet(QWidget* control, const QPixmap& image);
    // Captions of labels, check boxes, panels and list-view columns ("<list>_Col<i>"); nested pages are left
    // to translate themselves.
    virtual void LoadTexts(const QString& section);
    virtual void FitLabel(QLabel* label, QWidget* partner, int rightEdge);
    // Drops the label's font to an 11-pixel height when its caption does not fit its width.
    virtual void ShrinkLabelFont(QLabel* label);
    virtual void InitPage();
    virtual void DonePage();
    virtual void ClearPage();
    // False refuses the page; the container then shows nothing new.
    virtual bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context);
    // False keeps this page shown.
    virtual bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context);
    virtual void SetAdapter(CNICAdapter* adapter, int change, int flags);
    virtual void AdapterEvent(CNICAdapter* adapter, int code, int value);
    // Whether Escape may take its way out (Exit, Cancel) of this page or a page within it; a page holding
    // work that Escape would throw away asks first.
    virtual bool MayEscape();

    // The page this one was entered from going forward; the profile editor's Back returns to it.
    QPointer<TPropertyPageFrame> BackPage;

protected:
    // A shown page is ready for the keyboard: its controls in the window's tab order, Enter and Escape
    // pressing its default and exit buttons.
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};
