#include "app/Unotifyevent.h"
#include "ui/Uformmain.h"
#include "testutil.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

TEST(FormMain, ShowsOnRequestAndOnlyHidesWhenClosed)
{
    RegisterNotifyMsg();
    TFormMain main;
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(SendNotify(&main, 1, 0), 1);
    EXPECT_TRUE(main.isVisible());
    main.close();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(SendNotify(&main, 6, 0), 0) << "unknown codes are ignored";
}

TEST(FormMain, CloseRequestEndsTheLoop)
{
    RegisterNotifyMsg();
    TFormMain main;
    PostNotify(&main, 9, 0);
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0) << "code 9 quits the message loop";
}
