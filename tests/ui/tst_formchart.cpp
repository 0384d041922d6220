// The chart window: the logarithmic scale, the bounded sample lists, the curves and the reports that feed
// them.
#include "simtest.h"
#include "pagefixture.h"
#include "testutil.h"
#include "ui/Uformchart.h"
#include "ui/pages/Uframelinkinfo.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using testutil::WaitFor;

namespace {

constexpr int PICTURE_WIDTH = 186;
constexpr int PICTURE_HEIGHT = 72;
const QRgb GRID = qRgb(0x00, 0x41, 0x01);

class ChartTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_Chart = std::make_unique<TFormChart>();
    }
    void TearDown() override
    {
        m_Chart.reset();
        PageTest::TearDown();
    }
    QString Edit(const char* name) const
    {
        return m_Chart->findChild<QLineEdit*>(QLatin1String(name))->text();
    }

    std::unique_ptr<TFormChart> m_Chart;
};

} // namespace

TEST(ChartScale, RateHeightsOnTheLogarithmicScale)
{
    const struct {
        double kbps;
        int height;
    } cases[] = {{0, 1},     {1, 1},      {10, 18},    {100, 36}, {500, 48},
                 {1000, 54}, {10000, 72}, {20000, 72}, {0.5, -5}};
    for (const auto& c : cases)
        EXPECT_EQ(TFormChart::RateHeight(c.kbps, PICTURE_HEIGHT), c.height) << c.kbps << " Kbps";
}

TEST(ChartSamples, ListIsBoundedByThePictureWidthAndSkipsTheFirstReport)
{
    TSampleList list;
    const QSize picture(PICTURE_WIDTH, PICTURE_HEIGHT);
    TFormChart::PushSample(list, 0, 500, picture);
    EXPECT_TRUE(list.empty()) << "a report without a previous one adds no point";
    for (int i = 1; i <= 200; ++i)
        TFormChart::PushSample(list, uint32_t(i * 1000), 10, picture);
    EXPECT_EQ(list.size(), size_t(PICTURE_WIDTH + 1));
    EXPECT_EQ(list.front().Seconds, 200 - PICTURE_WIDTH) << "the oldest samples dropped out";
    EXPECT_EQ(list.back().Seconds, 200);
    EXPECT_EQ(list.back().Height, 18);
}

TEST(ChartPicture, GridAndCurveNewestPointAtTheRightEdge)
{
    QImage grid(PICTURE_WIDTH, PICTURE_HEIGHT, QImage::Format_RGB32);
    TFormChart::DrawGrid(grid);
    EXPECT_EQ(grid.pixel(5, 5), GRID);
    int dots = 0;
    for (int x = 0; x < PICTURE_WIDTH; ++x)
        dots += grid.pixel(x, 18) != GRID;
    EXPECT_GT(dots, PICTURE_WIDTH / 4);
    EXPECT_LT(dots, PICTURE_WIDTH) << "the grid lines are dotted";

    TSampleList list{{2, 48}, {2, 48}};
    QImage picture = grid;
    TFormChart::DrawCurve(picture, grid, list);
    EXPECT_EQ(picture.pixel(PICTURE_WIDTH - 1, PICTURE_HEIGHT - 48), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(PICTURE_WIDTH - 3, PICTURE_HEIGHT - 48), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(PICTURE_WIDTH - 9, PICTURE_HEIGHT - 48), grid.pixel(PICTURE_WIDTH - 9, 24));
}

TEST_F(ChartTest, BoxesHaveASunkenFrameAroundThePicture)
{
    m_Chart->AddRates(1000, 10000, 1);
    m_Chart->AddRates(1000, 10000, 1);
    const QImage box = m_Chart->findChild<QWidget*>("PBoxTx")->grab().toImage();
    EXPECT_EQ(box.pixel(0, 0), qRgb(0xAD, 0xA9, 0x9D));
    EXPECT_EQ(box.pixel(box.width() - 1, box.height() - 1), qRgb(255, 255, 255));
    EXPECT_EQ(box.pixel(1, 1), qRgb(0x74, 0x6E, 0x62));
    EXPECT_EQ(box.pixel(box.width() - 2, box.height() - 2), qRgb(0xF7, 0xF0, 0xE8));
    EXPECT_EQ(box.pixel(2 + PICTURE_WIDTH - 1, 2), qRgb(255, 255, 255)) << "10000 Kbps at the top";
}

// The edits lie over their captions' empty ends: the Transmit edit was unnamed, the Receive edit "Kbps".
TEST_F(ChartTest, TheRateEditsAreNamedWithTheirCaptionAndUnit)
{
    for (const auto& [edit, name] :
         {std::pair{"EdtTx", "Transmit (Kbps)"}, std::pair{"EdtRx", "Receive (Kbps)"}}) {
        QWidget* w = m_Chart->findChild<QWidget*>(edit);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).toStdString(), name);
    }
}

TEST_F(ChartTest, ReportsFeedTheCurvesAndApplyingAProfileResetsThem)
{
    CNICAdapter& adapter = Attach();
    m_Chart->ChartSetAdapter(&adapter, 1, 0);
    ConnectTo("Open-Net", "Office");
    ASSERT_TRUE(WaitFor([&] { return Connected(); }, 15000));
    m_Chart->ChartAdapterEvent(&adapter, 3, 0);
    EXPECT_TRUE(m_Chart->TxSamples().empty()) << "the very first report has no interval";
    EXPECT_EQ(Edit("EdtTx"), "0");
    QThread::msleep(300);
    m_Chart->ChartAdapterEvent(&adapter, 3, 0);
    ASSERT_EQ(m_Chart->TxSamples().size(), 1u);
    m_Chart->ChartAdapterEvent(&adapter, 7, 1);
    EXPECT_EQ(m_Chart->TxSamples().size(), 1u) << "a Soft AP profile leaves the chart alone";
    m_Chart->ChartAdapterEvent(&adapter, 7, 0);
    EXPECT_TRUE(m_Chart->TxSamples().empty());
    EXPECT_EQ(m_Chart->TxPicture().pixel(PICTURE_WIDTH - 1, PICTURE_HEIGHT - 1), GRID);

    // Disconnected reports keep the curve moving on the bottom line.
    ASSERT_TRUE(simtest::SimCtlSucceeds("disconnect"));
    ASSERT_TRUE(WaitFor([&] { return !Connected(); }, 15000));
    m_Chart->ChartAdapterEvent(&adapter, 3, 0);
    QThread::msleep(300);
    m_Chart->ChartAdapterEvent(&adapter, 3, 0);
    ASSERT_EQ(m_Chart->RxSamples().size(), 1u);
    EXPECT_EQ(m_Chart->RxSamples().back().Height, 1);
    EXPECT_EQ(Edit("EdtRx"), "0");

    m_Chart->ChartSetAdapter(nullptr, 2, 0);
    EXPECT_TRUE(m_Chart->RxSamples().empty());
}

TEST_F(ChartTest, TheLinkInfoButtonOpensOneModalChartThatFollowsThePage)
{
    auto* page = new TFrameLinkInfo;
    Host(page);
    Attach();
    TFormChart* seen = nullptr;
    QTimer::singleShot(0, &m_Main, [&] {
        seen = FormChartSlot;
        page->BtnTChartClick(); // a second click while open does nothing
        seen->findChild<QPushButton*>("BtnClose")->click();
    });
    page->BtnTChartClick();
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(FormChartSlot, nullptr);
}
