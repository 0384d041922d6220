#include "testutil.h"
#include "ui/Uthrdcloseform.h"
#include "ui/Uformbase.h"

#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Termination {
    bool ran = false;
    bool onGuiThread = false;
    qsizetype modalFormsLeft = -1;
};

// Starts a close-forms thread as the main window does and records how its termination handler ran.
QPointer<CThrdCloseForm> startCloseForms(QObject* mainWindow, Termination& seen)
{
    auto* thread = new CThrdCloseForm(mainWindow, [] { return static_cast<QObject*>(TopModalForm()); });
    thread->OnTerminate = [&seen] {
        seen.ran = true;
        seen.onGuiThread = QThread::currentThread() == qApp->thread();
        seen.modalFormsLeft = ModalForms.size();
    };
    thread->start();
    return thread;
}

TEST(ThrdCloseFormTest, ClosesNestedModalFormsNewestFirst)
{
    TFormBase mainWindow;
    TFormBase outer;
    TFormBase inner;
    outer.setObjectName(QStringLiteral("FormOuter"));
    inner.setObjectName(QStringLiteral("FormInner"));
    Termination seen;
    QPointer<CThrdCloseForm> thread;
    QStringList endOrder;
    QTimer::singleShot(0, &outer, [&] {
        QTimer::singleShot(0, &inner, [&] { thread = startCloseForms(&mainWindow, seen); });
        EXPECT_EQ(inner.ShowModal(), mrCancel);
        endOrder << inner.objectName();
        // The outer form is still open until the thread reaches it.
        EXPECT_FALSE(seen.ran);
    });
    EXPECT_EQ(outer.ShowModal(), mrCancel);
    endOrder << outer.objectName();

    ASSERT_TRUE(testutil::WaitFor([&] { return seen.ran && !thread; }));
    EXPECT_EQ(endOrder, (QStringList{QStringLiteral("FormInner"), QStringLiteral("FormOuter")}));
    EXPECT_TRUE(seen.onGuiThread);
    EXPECT_EQ(seen.modalFormsLeft, 0);
}

TEST(ThrdCloseFormTest, StopsAtTheMainWindow)
{
    TFormBase mainWindow;
    Termination seen;
    QPointer<CThrdCloseForm> thread;
    QTimer::singleShot(0, &mainWindow, [&] {
        thread = startCloseForms(&mainWindow, seen);
        // The main window stays open: its modal loop is ended here, not by the thread.
        EXPECT_TRUE(testutil::WaitFor([&] { return seen.ran; }));
        EXPECT_TRUE(mainWindow.isVisible());
        mainWindow.SetModalResult(mrOk);
    });
    EXPECT_EQ(mainWindow.ShowModal(), mrOk);
    EXPECT_EQ(seen.modalFormsLeft, 1);
    EXPECT_TRUE(testutil::WaitFor([&] { return !thread; }));
}

TEST(ThrdCloseFormTest, RunsTheHandlerWhenNoFormIsOpen)
{
    TFormBase mainWindow;
    Termination seen;
    QPointer<CThrdCloseForm> thread = startCloseForms(&mainWindow, seen);
    ASSERT_TRUE(testutil::WaitFor([&] { return seen.ran && !thread; }));
    EXPECT_TRUE(seen.onGuiThread);
    EXPECT_EQ(seen.modalFormsLeft, 0);
}

} // namespace
