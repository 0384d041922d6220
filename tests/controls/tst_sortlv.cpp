#include "controls/Sortlv.h"

#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage Arrow(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    return img;
}

void AddColumns(TSortLv& lv)
{
    lv.setColumnCount(4);
    lv.setHeaderLabels(
        {QString(), QStringLiteral("SSID"), QStringLiteral("Channel"), QStringLiteral("Signal")});
    lv.headerItem()->setTextAlignment(1, Qt::AlignLeft);
    lv.headerItem()->setTextAlignment(2, Qt::AlignRight);
    lv.headerItem()->setTextAlignment(3, Qt::AlignHCenter);
}

void ClickHeader(TSortLv& lv, int column)
{
    QHeaderView* header = lv.header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

} // namespace

TEST(SortLv, HeaderClickRules)
{
    TSortLv lv;
    AddColumns(lv);
    lv.SetSkipSort1(0);
    EXPECT_EQ(lv.SortColunm(), 1) << "the skipped column cannot stay sorted";
    struct Step {
        int click;
        int column;
        bool increase;
    } steps[] = {
        {1, 1, false}, {1, 1, true}, {3, 3, true}, {0, 3, true}, {3, 3, false}, {2, 2, false},
    };
    for (const Step& s : steps) {
        lv.HeaderClick(s.click);
        EXPECT_EQ(lv.SortColunm(), s.column) << "click " << s.click;
        EXPECT_EQ(lv.Increase(), s.increase) << "click " << s.click;
    }
}

TEST(SortLv, OwnerSeesNewStateOnColumnClick)
{
    TSortLv lv;
    AddColumns(lv);
    lv.resize(400, 200);
    lv.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lv));
    lv.SetSortColunm(3);
    int seenColumn = -1;
    bool seenIncrease = true;
    QObject::connect(lv.header(), &QHeaderView::sectionClicked, &lv, [&](int) {
        seenColumn = lv.SortColunm();
        seenIncrease = lv.Increase();
    });
    ClickHeader(lv, 3);
    EXPECT_EQ(seenColumn, 3);
    EXPECT_FALSE(seenIncrease);
    QList<int> clicks;
    QObject::connect(&lv, &TSortLv::ColumnClick, &lv, [&](int c) { clicks.append(c); });
    ClickHeader(lv, 2);
    EXPECT_EQ(clicks, QList<int>{2});
}

TEST(SortLv, EmptyArrowsLeaveWholeWidthToCaptions)
{
    TSortLv lv;
    AddColumns(lv);
    const QRect r(100, 0, 80, 20);
    const QSize caption(30, 14);
    for (int col : {1, 2, 3}) {
        lv.SetSortColunm(col);
        const THeaderLayout l = lv.HeaderItemLayout(r, col, caption);
        EXPECT_TRUE(l.Arrow.isEmpty());
        EXPECT_EQ(l.Arrow.x(), 180);
        EXPECT_EQ(l.Caption.x(), 105) << col;
        EXPECT_EQ(l.Caption.y(), 3) << col;
        // Right-aligned captions end 2 pixels before the item's right edge, the others 5.
        EXPECT_EQ(l.Caption.x() + l.Caption.width(), col == 2 ? 178 : 175) << col;
    }
}

TEST(SortLv, ArrowGeometry)
{
    TSortLv lv;
    AddColumns(lv);
    lv.SetIncBMP(Arrow(10, 10));
    lv.SetDecBMP(Arrow(8, 6));
    lv.SetSortColunm(1);
    const QSize caption(30, 14);
    THeaderLayout l = lv.HeaderItemLayout(QRect(0, 0, 100, 21), 1, caption);
    EXPECT_EQ(l.Arrow, QRect(85, 5, 10, 10));
    EXPECT_EQ(l.Caption.x() + l.Caption.width(), 95) << "a short left caption keeps its width";
    l = lv.HeaderItemLayout(QRect(0, 0, 40, 21), 1, caption);
    EXPECT_EQ(l.Caption.x() + l.Caption.width(), 23) << "a long caption stops 2 pixels before the arrow";
    l = lv.HeaderItemLayout(QRect(0, 0, 100, 21), 2, caption);
    EXPECT_TRUE(l.Arrow.isEmpty()) << "only the sorted column has an arrow";
    lv.SetIncrease(false);
    l = lv.HeaderItemLayout(QRect(0, 0, 100, 21), 1, caption);
    EXPECT_EQ(l.Arrow, QRect(87, 7, 8, 6));
    // A column narrower than the arrow clips it.
    lv.SetIncrease(true);
    l = lv.HeaderItemLayout(QRect(50, 0, 7, 8), 1, caption);
    EXPECT_EQ(l.Arrow, QRect(50, 0, 7, 8));
}

TEST(SortLv, DrawsArrowOnSortedColumnOnly)
{
    TSortLv lv;
    AddColumns(lv);
    lv.resize(400, 200);
    lv.setColumnWidth(0, 46);
    lv.setColumnWidth(1, 100);
    lv.setColumnWidth(2, 62);
    lv.setColumnWidth(3, 59);
    lv.SetIncBMP(Arrow(10, 10));
    lv.SetSortColunm(1);
    lv.show();
    const QImage shot = lv.header()->grab().toImage();
    const int h = lv.header()->height();
    // Column 1 spans 46..145; its arrow ends 5 pixels before the right edge.
    EXPECT_EQ(shot.pixelColor(146 - 5 - 5, h / 2), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(208 - 10, h / 2), QColor(Qt::red));
}

// The header showed an empty piece right of the last column, and the list had no grid lines.
TEST(SortLv, LastColumnReachesTheRightEdgeAndGridLinesRunThroughTheList)
{
    TSortLv lv;
    AddColumns(lv);
    lv.resize(307, 226);
    for (const auto& [column, width] : {std::pair{0, 46}, {1, 100}, {2, 62}, {3, 59}})
        lv.setColumnWidth(column, width);
    auto* item = new QTreeWidgetItem(&lv, QStringList{QString(), QStringLiteral("net")});
    lv.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lv));
    QHeaderView* header = lv.header();
    EXPECT_EQ(header->sectionViewportPosition(3) + header->sectionSize(3), header->viewport()->width());
    EXPECT_EQ(header->sectionSize(1), 100) << "the columns before the last keep their widths";

    const QImage shot = lv.viewport()->grab().toImage();
    const QRect row = lv.visualItemRect(item);
    const QColor plain = shot.pixelColor(20, row.bottom() + row.height() / 2);
    const int columnEdge = 45;
    // A column line beside the row and below it, a row line under the row and under the empty row after it.
    EXPECT_NE(shot.pixelColor(columnEdge, row.center().y()), plain);
    EXPECT_NE(shot.pixelColor(columnEdge, shot.height() - 3), plain);
    EXPECT_NE(shot.pixelColor(20, row.bottom()), plain);
    EXPECT_NE(shot.pixelColor(20, row.bottom() + row.height()), plain);
    EXPECT_EQ(shot.pixelColor(columnEdge + 5, row.bottom() + row.height() / 2), plain);
}
