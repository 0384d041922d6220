#include "guitest.h"
#include "testpage.h"

#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A panel that carries a caption of its own.
class CaptionPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    using QFrame::QFrame;
    QString text() const { return m_Text; }
    void setText(const QString& text) { m_Text = text; }

private:
    QString m_Text;
};

QStringList columnTexts(const QTreeWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->columnCount(); ++i)
        texts << list->headerItem()->text(i);
    return texts;
}

TEST(PropertyPageFrameTest, LoadTextsTranslatesCaptionsAndColumns)
{
    ScopedConfig config(QStringLiteral("[Setting]\n"), QStringLiteral("[FrameTest]\n"
                                                                      "LbName=Navn:\n"
                                                                      "LblName=\n"
                                                                      "ChkAuto=Automatisk\n"
                                                                      "PlInfo=Oplysninger\n"
                                                                      "PlCaption=Panel\n"
                                                                      "LbInner=Indre\n"
                                                                      "LvSite_Col1=Netvaerk\n"
                                                                      "LvSite_Col3=Signal %\n"));
    TTestPage page;
    auto* panel = new CaptionPanel(&page);
    panel->setObjectName(QStringLiteral("PlCaption"));
    page.LoadTexts(QStringLiteral("FrameTest"));

    EXPECT_EQ(page.ui.LbName->text(), QStringLiteral("Navn:"));
    EXPECT_EQ(page.ui.LblName->text(), QString());
    EXPECT_EQ(page.ui.ChkAuto->text(), QStringLiteral("Automatisk"));
    EXPECT_EQ(page.ui.PlInfo->title(), QStringLiteral("Oplysninger"));
    EXPECT_EQ(panel->text(), QStringLiteral("Panel"));
    // Controls inside a panel still belong to the page.
    EXPECT_EQ(page.ui.LbInner->text(), QStringLiteral("Indre"));
    // Missing column keys keep the designed captions, the empty first one included.
    const QStringList expected{QString(), QStringLiteral("Netvaerk"), QStringLiteral("Channel"),
                               QStringLiteral("Signal %")};
    EXPECT_EQ(columnTexts(page.ui.LvSite), expected);
}

TEST(PropertyPageFrameTest, LoadTextsLeavesNestedPagesAlone)
{
    ScopedConfig config(QStringLiteral("[Setting]\n"),
                        QStringLiteral("[FrameTest]\nLbName=Navn:\nLvSite_Col1=Netvaerk\n"));
    TTestPage outer;
    auto* inner = new TTestPage(&outer);
    inner->setObjectName(QStringLiteral("FrameTest1"));
    outer.LoadTexts(QStringLiteral("FrameTest"));

    EXPECT_EQ(outer.ui.LbName->text(), QStringLiteral("Navn:"));
    EXPECT_EQ(inner->ui.LbName->text(), QStringLiteral("Name:"));
    EXPECT_EQ(inner->ui.LvSite->headerItem()->text(1), QStringLiteral("SSID"));
}

TEST(PropertyPageFrameTest, ShrinkLabelFontOnlyWhenTheCaptionOverflows)
{
    struct Case {
        int extraWidth;
        bool shrinks;
    } cases[] = {{10, false}, {0, false}, {-1, true}, {-40, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extraWidth);
        TTestPage page;
        QLabel* label = page.ui.LbName;
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(15);
        label->setFont(font);
        label->setText(QStringLiteral("Statistics"));
        label->resize(QFontMetrics(font).horizontalAdvance(label->text()) + c.extraWidth, label->height());
        page.ShrinkLabelFont(label);
        EXPECT_EQ(label->font().pixelSize(), c.shrinks ? 11 : 15);
    }
}

TEST(PropertyPageFrameTest, BackPageRemembersForwardEntryUntilLeftBackwards)
{
    TTestPage first;
    TTestPage second;
    TTestPage other;

    EXPECT_TRUE(second.EnterPage(&first, pmForward, 0x100));
    EXPECT_EQ(second.BackPage, &first);
    // Neither a tab switch nor coming back from a later page changes the memory.
    EXPECT_TRUE(second.EnterPage(&other, pmSwitchTab, 0));
    EXPECT_TRUE(second.EnterPage(&other, pmBackward, 0));
    EXPECT_TRUE(second.LeavePage(&other, pmForward, 0));
    EXPECT_TRUE(second.LeavePage(&other, pmSwitchTab, 0));
    EXPECT_EQ(second.BackPage, &first);

    EXPECT_TRUE(second.LeavePage(&first, pmBackward, 0));
    EXPECT_EQ(second.BackPage, nullptr);
}

TEST(PropertyPageFrameTest, BackPageDoesNotOutliveThePage)
{
    TTestPage second;
    {
        TTestPage first;
        second.EnterPage(&first, pmForward, 0);
    }
    EXPECT_EQ(second.BackPage, nullptr);
}

} // namespace

#include "tst_propertypageframe.moc"
