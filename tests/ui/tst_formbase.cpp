#include "guitest.h"
#include "testpage.h"
#include "ui/Uformbase.h"
#include "ui_tst_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A window built from its design file, as the program's forms are.
struct TestForm : TFormBase {
    TestForm() { ui.setupUi(this); }
    Ui::FormTest ui;
};

QPixmap bulletPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2a, 0x6f, 0xc9));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(0, 0, width, height);
    return pixmap;
}

TEST(FormBaseTest, LoadCtrlPosAppliesAsManyNumbersAsGiven)
{
    // LbCaption is designed at 30,40 with size 80 x 16.
    struct Case {
        const char* value;
        QRect expected;
    } cases[] = {
        {"x, 5, 6", QRect(5, 6, 80, 16)},
        {"", QRect(30, 40, 80, 16)},
        {"\"   \"", QRect(30, 40, 80, 16)},
        {"a, b", QRect(30, 40, 80, 16)},
        {"7", QRect(7, 40, 80, 16)},
        {"7,8", QRect(7, 8, 80, 16)},
        {"7,8,90", QRect(7, 8, 90, 16)},
        {"7 8 90 20", QRect(7, 8, 90, 20)},
        {"7, \"8\", 9", QRect(7, 8, 9, 16)},
        {"1,2,3,4,5,6", QRect(1, 2, 3, 4)},
        {"7,8,-90,20", QRect(7, 8, 80, 16)},
        {"2147483647,2147483647,2147483647,2147483647", QRect(32767, 32767, 32767, 32767)},
        {"-2147483647,-2147483647", QRect(-32767, -32767, 80, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ScopedConfig config(QStringLiteral("[FormTest_CtrlPos]\nLbCaption=") + QLatin1String(c.value), {});
        TestForm form;
        form.LoadCtrlPos(form.ui.LbCaption, QStringLiteral("FormTest_CtrlPos"));
        EXPECT_EQ(form.ui.LbCaption->geometry(), c.expected);
    }
}

TEST(FormBaseTest, LoadLayoutGivesNestedPagesTheirOwnSections)
{
    ScopedConfig config(QStringLiteral("[FormTest_CtrlPos]\n"
                                       "LbTitle=5,6\n"
                                       "LbBoxed=1,1\n"
                                       "FrameTest1=12,110\n"
                                       "LbName=90,90\n"
                                       "[FormTest_Visible]\n"
                                       "LbTitle=0\n"
                                       "ChkOption=0\n"
                                       "LbName=0\n"
                                       "[FormTest_FrameTest1_CtrlPos]\n"
                                       "LbName=1,2\n"
                                       "[FormTest_FrameTest1_Visible]\n"
                                       "ChkAuto=0\n"
                                       "LblName=1\n"),
                        {});
    TestForm form;
    TTestPage* page = form.ui.FrameTest1;
    form.LoadLayout(&form, QStringLiteral("FormTest"));

    EXPECT_EQ(form.ui.LbTitle->pos(), QPoint(5, 6));
    EXPECT_TRUE(form.ui.LbTitle->isHidden());
    // Controls inside a panel belong to the form.
    EXPECT_EQ(form.ui.LbBoxed->pos(), QPoint(1, 1));
    EXPECT_TRUE(form.ui.ChkOption->isHidden());
    EXPECT_EQ(page->pos(), QPoint(12, 110));
    // The page's controls read only the page's sections.
    EXPECT_EQ(page->ui.LbName->pos(), QPoint(1, 2));
    EXPECT_FALSE(page->ui.LbName->isHidden());
    EXPECT_TRUE(page->ui.ChkAuto->isHidden());
    EXPECT_FALSE(page->ui.LblName->isHidden());
    // Keys not given leave the design alone.
    EXPECT_EQ(form.ui.LbCaption->geometry(), QRect(30, 40, 80, 16));
    EXPECT_FALSE(form.ui.LbCaption->isHidden());
}

TEST(FormBaseTest, LoadTextsTranslatesOnlyTheFormsOwnLabels)
{
    ScopedConfig config(QStringLiteral("[Setting]\n"), QStringLiteral("[FormTest]\n"
                                                                      "LbTitle=Titel\n"
                                                                      "LbBoxed=Im Kasten\n"
                                                                      "ChkOption=Wahl\n"
                                                                      "LbName=Nicht hier\n"
                                                                      "ImgLogo=Kein Bild\n"));
    TestForm form;
    auto* image = new QLabel(&form);
    image->setObjectName(QStringLiteral("ImgLogo"));
    image->setPixmap(bulletPicture(8, 8));
    form.LoadTexts(QStringLiteral("FormTest"));

    EXPECT_EQ(form.ui.LbTitle->text(), QStringLiteral("Titel"));
    EXPECT_EQ(form.ui.LbBoxed->text(), QStringLiteral("Im Kasten"));
    EXPECT_EQ(form.ui.LbCaption->text(), QStringLiteral("Caption:"));
    EXPECT_EQ(form.ui.ChkOption->text(), QStringLiteral("Option"));
    EXPECT_EQ(form.ui.FrameTest1->ui.LbName->text(), QStringLiteral("Name:"));
    EXPECT_FALSE(image->pixmap().isNull());
}

TEST(FormBaseTest, AddBulletCentresThePictureLeftOfTheControl)
{
    struct Case {
        int controlHeight;
        QSize picture;
        QRect expected;
    } cases[] = {
        {17, {9, 9}, QRect(100 - 9 - 6, 40 + 4, 9, 9)},
        {16, {9, 9}, QRect(100 - 9 - 6, 40 + 3, 9, 9)},   // 3.5 rounds down
        {4, {12, 9}, QRect(100 - 12 - 6, 40 - 2, 12, 9)}, // -2.5 rounds toward zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.controlHeight);
        TestForm form;
        form.ui.LbCaption->setGeometry(100, 40, 80, c.controlHeight);
        const QPixmap picture = bulletPicture(c.picture.width(), c.picture.height());
        QLabel* bullet = form.AddBullet(form.ui.LbCaption, picture);
        ASSERT_NE(bullet, nullptr);
        EXPECT_EQ(bullet->geometry(), c.expected);
        EXPECT_EQ(bullet->parentWidget(), &form);
        EXPECT_FALSE(bullet->isHidden());
    }
}

TEST(FormBaseTest, AddBulletFollowsVisibilityAndNeedsBothArguments)
{
    TestForm form;
    form.ui.LbCaption->hide();
    QLabel* bullet = form.AddBullet(form.ui.LbCaption, bulletPicture(9, 9));
    ASSERT_NE(bullet, nullptr);
    EXPECT_TRUE(bullet->isHidden());
    // Bullets are no design controls: a later translation must not find them.
    EXPECT_FALSE(OwnedControls(&form).contains(bullet));
    EXPECT_EQ(form.AddBullet(nullptr, bulletPicture(9, 9)), nullptr);
    EXPECT_EQ(form.AddBullet(form.ui.LbCaption, QPixmap()), nullptr);
}

TEST(FormBaseTest, FitLabelPutsThePartnerSixPixelsAfterTheCaption)
{
    struct Case {
        const char* caption;
        Qt::Alignment alignment;
    } cases[] = {
        {"Caption:", Qt::AlignLeft},
        {"Network Name (SSID):", Qt::AlignRight},
        {"A & B:", Qt::AlignLeft},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        TestForm form;
        QLabel* label = form.ui.LbCaption;
        label->setText(QString::fromUtf8(c.caption));
        label->setAlignment(c.alignment);
        const int textWidth = QFontMetrics(label->font()).horizontalAdvance(label->text());
        form.FitLabel(label, form.ui.LblValue, 321);
        EXPECT_NEAR(label->width(), textWidth + 6, 1);
        EXPECT_EQ(form.ui.LblValue->x(), label->x() + label->width());
        EXPECT_EQ(form.ui.LblValue->x() + form.ui.LblValue->width(), 321);
        EXPECT_EQ(form.ui.LblValue->y(), 40);
    }
}

TEST(FormBaseTest, FitLabelWidthWrapsWithinTheLabelsBounds)
{
    TestForm form;
    QLabel* label = form.ui.LbCaption;
    label->setText(QStringLiteral("Transmit Rate Total"));
    const int oneLine = form.FitLabelWidth(label);
    EXPECT_EQ(oneLine, label->width());
    // A wrapping label measures within its current width, so the long caption breaks into lines.
    label->setGeometry(30, 40, 70, 40);
    label->setWordWrap(true);
    EXPECT_LT(form.FitLabelWidth(label), oneLine);
    EXPECT_LE(label->width(), 70 + 6);
}

TEST(FormBaseTest, NestedModalFormsStackInModalForms)
{
    TestForm outer;
    TestForm inner;
    QList<TFormBase*> seenInInner;
    int innerResult = -1;
    QTimer::singleShot(0, &outer, [&] {
        EXPECT_EQ(TopModalForm(), &outer);
        QTimer::singleShot(0, &inner, [&] {
            seenInInner = ModalForms;
            inner.SetModalResult(mrOk);
        });
        innerResult = inner.ShowModal();
        EXPECT_EQ(TopModalForm(), &outer);
        outer.close();
    });
    const int outerResult = outer.ShowModal();

    EXPECT_EQ(seenInInner, (QList<TFormBase*>{&outer, &inner}));
    EXPECT_EQ(innerResult, mrOk);
    EXPECT_EQ(outerResult, mrCancel);
    EXPECT_TRUE(ModalForms.isEmpty());
    EXPECT_EQ(TopModalForm(), nullptr);
    EXPECT_TRUE(outer.isHidden());
}

TEST(FormBaseTest, FormDestroyedInsideItsModalLoopLeavesModalForms)
{
    auto* form = new TestForm;
    QTimer::singleShot(0, qApp, [form] { delete form; });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_TRUE(ModalForms.isEmpty());
}

// Builds a form the way the program does (texts, layout, bullets, label pairs) and saves a picture of it
// when WLANUTIL_SCREENSHOT_DIR names a directory, for a look by eye.
TEST(FormBaseTest, RendersLaidOutForm)
{
    ScopedConfig config(QStringLiteral("[FormTest_CtrlPos]\nLbTitle=14,8\n"
                                       "[FormTest_FrameTest1_Visible]\nLblName=1\n"),
                        QStringLiteral("[FormTest]\nLbCaption=Network Name (SSID):\n"
                                       "[FrameTest]\nLbName=Profile Name:\nLvSite_Col1=Network\n"
                                       "LbInner=Link statistics total\n"));
    TestForm form;
    TTestPage* page = form.ui.FrameTest1;
    form.LoadTexts(QStringLiteral("FormTest"));
    page->LoadTexts(QStringLiteral("FrameTest"));
    form.LoadLayout(&form, QStringLiteral("FormTest"));
    const QPixmap bullet = bulletPicture(9, 9);
    form.AddBullet(form.ui.LbCaption, bullet);
    form.FitLabel(form.ui.LbCaption, form.ui.LblValue, 230);
    page->AddBullet(page->ui.LbName, bullet);
    page->FitLabel(page->ui.LbName, page->ui.LblName, 370);
    page->ShrinkLabelFont(page->ui.LbInner);

    const QImage picture = form.grab().toImage();
    ASSERT_EQ(picture.size(), form.size());
    const QString dir = qEnvironmentVariable("WLANUTIL_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(picture.save(QDir(dir).filePath(QStringLiteral("formbase.png"))));
    }
}

} // namespace
