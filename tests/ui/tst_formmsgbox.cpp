#include "guitest.h"
#include "app/Udefine.h"
#include "controls/Trifacebtn.h"
#include "testutil.h"
#include "ui/Uformmsgbox.h"
#include "ui/Uformres.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString LANGUAGE =
    QStringLiteral("[Utility]\nAppTitle=Test Utility\nMsgTitle=Test Message\n"
                   "[BtnCaption]\nBtnOk=OK\nBtnCancel=Cancel\nBtnYes=Yes\nBtnNo=No\n"
                   "[Message]\nErNoSelBand=No band was selected!\\nAt least one band.\n");

// A message box with the skin and language file of the program.
class MsgBoxTest : public ::testing::Test {
protected:
    MsgBoxTest() : m_Config(QString(), LANGUAGE) { FormRes = &m_Res; }
    ~MsgBoxTest() override { FormRes = nullptr; }

    template <typename T> T* Find(const char* name) { return m_Box.findChild<T*>(QLatin1String(name)); }
    QLabel* Msg() { return Find<QLabel>("LbMsg"); }
    QLabel* Icon() { return Find<QLabel>("ImgIcon"); }
    TTrifaceBtn* Ok() { return Find<TTrifaceBtn>("BtnOk"); }
    TTrifaceBtn* Cancel() { return Find<TTrifaceBtn>("BtnCancel"); }
    int LineHeight() { return QFontMetrics(Msg()->font()).lineSpacing(); }

    // Runs the modal loop for real; `answer` acts on the box once it is on screen.
    int RunAndAnswer(const QString& text, int style, const std::function<void()>& answer,
                     QWidget* owner = nullptr)
    {
        auto* poll = new QTimer(&m_Box);
        QObject::connect(poll, &QTimer::timeout, &m_Box, [this, poll, answer] {
            if (m_Box.isVisible()) {
                poll->stop();
                answer();
            }
        });
        poll->start(10);
        return m_Box.RunMsgBox(owner, text, style);
    }
    // Lays the box out without a modal loop.
    void Layout(const QString& text, int style)
    {
        TFormMsgBox::SetNextAnswer(mrOk);
        m_Box.RunMsgBox(nullptr, text, style);
    }
    void Key(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_Box, &press);
    }

    ScopedConfig m_Config;
    TFormRes m_Res;
    TFormMsgBox m_Box;
};

struct StyleCase {
    int style;
    bool icon;
    bool twoButtons;
    const char* okText;
    const char* cancelText;
    int okResult;
    int cancelResult;
};

class MsgBoxStyles : public MsgBoxTest, public ::testing::WithParamInterface<StyleCase> {};

} // namespace

TEST_P(MsgBoxStyles, TwoLineTextLayoutAndResults)
{
    const StyleCase& c = GetParam();
    Layout(QStringLiteral("Saved.\\nConnect now?"), c.style);
    ASSERT_EQ(Msg()->text(), QStringLiteral("Saved.\nConnect now?"));
    EXPECT_EQ(m_Box.windowTitle(), QStringLiteral("Test Message"));
    // A screen reader takes the box for an alert, whose text it reads out when the box comes up.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&m_Box)->role(), QAccessible::AlertMessage);

    // Two lines are given three line heights; the width comes from the longer line plus four blanks.
    const QRect msg = Msg()->geometry();
    EXPECT_EQ(msg.height(), std::max(3 * LineHeight(), 33));
    EXPECT_EQ(msg.width(), std::max(160, QFontMetrics(Msg()->font()).horizontalAdvance("Connect now?    ")));
    EXPECT_EQ(Icon()->isVisibleTo(&m_Box), c.icon);
    if (c.icon) {
        EXPECT_EQ(Icon()->y() + Icon()->height() / 2, msg.y() + msg.height() / 2)
            << "icon centred on the text";
        EXPECT_LT(Icon()->geometry().right(), msg.left());
    }

    // Buttons 8 below the text, the box 16 beyond the text and the buttons.
    const QRect ok = Ok()->geometry();
    EXPECT_EQ(ok.top(), msg.bottom() + 1 + 8);
    EXPECT_EQ(m_Box.height(), ok.bottom() + 1 + 16);
    EXPECT_EQ(m_Box.width(), msg.right() + 1 + 16);
    EXPECT_EQ(ok.size(), QSize(75, 24));
    EXPECT_EQ(Ok()->text(), QLatin1String(c.okText));
    EXPECT_TRUE(Ok()->isDefault());
    EXPECT_EQ(Cancel()->isVisibleTo(&m_Box), c.twoButtons);
    if (c.twoButtons) {
        EXPECT_EQ(ok.right() + 1, m_Box.width() / 2 - 16) << "first button ends 16 left of the centre";
        EXPECT_EQ(Cancel()->x(), m_Box.width() / 2 + 16) << "second button starts 16 right of the centre";
        EXPECT_EQ(Cancel()->y(), ok.y());
        EXPECT_EQ(Cancel()->text(), QLatin1String(c.cancelText));
    } else {
        EXPECT_EQ(ok.x(), (m_Box.width() - 75) / 2) << "a single button is centred";
    }

    EXPECT_EQ(RunAndAnswer(QStringLiteral("Saved.\\nConnect now?"), c.style, [this] { Ok()->click(); }),
              c.okResult);
    if (c.twoButtons) {
        EXPECT_EQ(RunAndAnswer(QStringLiteral("x"), c.style, [this] { Cancel()->click(); }), c.cancelResult);
    }
    // The default button answers Enter; Escape closes with the cancel result whatever the buttons.
    EXPECT_EQ(RunAndAnswer(QStringLiteral("x"), c.style, [this] { Key(Qt::Key_Return); }), c.okResult);
    EXPECT_EQ(RunAndAnswer(QStringLiteral("x"), c.style, [this] { Key(Qt::Key_Escape); }), int(mrCancel));
    EXPECT_FALSE(m_Box.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Styles, MsgBoxStyles,
                         ::testing::Values(StyleCase{0, false, false, "OK", "", mrOk, mrCancel},
                                           StyleCase{4, false, true, "Yes", "No", mrYes, mrNo},
                                           StyleCase{65, true, true, "OK", "Cancel", mrOk, mrCancel},
                                           StyleCase{0x10 | 4, true, true, "Yes", "No", mrYes, mrNo},
                                           StyleCase{0x50 | 2, false, false, "OK", "", mrOk, mrCancel}),
                         [](const ::testing::TestParamInfo<StyleCase>& p) {
                             return "Style" + std::to_string(p.param.style);
                         });

TEST_F(MsgBoxTest, TextAreaLimits)
{
    struct {
        QString text;
        int lines; // line heights of the text area
    } const cases[] = {
        {QStringLiteral("Hi"), 2},
        {QStringLiteral("Hi\\n"), 2}, // a final empty line does not count
        {QStringLiteral("a\\n\\nb"), 4},
        {QStringLiteral("Hi\\n\\n"), 3}, // only the last empty line is dropped
    };
    for (const auto& c : cases) {
        Layout(c.text, 0);
        EXPECT_EQ(Msg()->width(), 160) << qPrintable(c.text);
        EXPECT_EQ(Msg()->height(), std::max(c.lines * LineHeight(), 33)) << qPrintable(c.text);
    }
}

TEST_F(MsgBoxTest, LongTextWrapsInsideTheScreen)
{
    const QString text =
        QStringLiteral("The adapter could not be switched to the system's wireless service. ").repeated(6);
    Layout(text, 0x30);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(m_Box.width(), screen.width());
    EXPECT_GE(Msg()->height(), Msg()->heightForWidth(Msg()->width())) << "every wrapped line fits";
    EXPECT_EQ(m_Box.height(), Ok()->geometry().bottom() + 1 + 16);
}

TEST_F(MsgBoxTest, LanguageTextsAndEscapes)
{
    const QString text = g_Var.GetLangText("Message", "ErNoSelBand", "No band was selected!");
    TFormMsgBox::SetNextAnswer(mrOk);
    EXPECT_EQ(ShowMsgBox(nullptr, text, 48), int(mrOk));
    EXPECT_EQ(TFormMsgBox::LastShown().Text, QStringLiteral("No band was selected!\nAt least one band."));

    ScopedConfig translated(QString(), QStringLiteral("[BtnCaption]\nBtnYes=Ja\nBtnNo=Nein\n"));
    Layout(QStringLiteral("?"), 4);
    EXPECT_EQ(Ok()->text(), QStringLiteral("Ja"));
    EXPECT_EQ(Cancel()->text(), QStringLiteral("Nein"));
    ScopedConfig empty{QString(), QString()};
    Layout(QStringLiteral("?"), 1);
    EXPECT_EQ(Ok()->text(), QStringLiteral("Ok")) << "built-in default without a language file";
}

TEST_F(MsgBoxTest, CentredOnTheOwnersWindowOrTheScreen)
{
    QWidget owner;
    owner.setGeometry(100, 120, 501, 301);
    auto* control = new QLabel(&owner);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

    TFormMsgBox::SetNextAnswer(mrOk);
    ShowMsgBox(control, QStringLiteral("hidden owner"), 0);
    QRect box = TFormMsgBox::LastShown().Geometry;
    EXPECT_EQ(box.topLeft(), QPoint(screen.x() + (screen.width() - box.width()) / 2,
                                    screen.y() + (screen.height() - box.height()) / 2));

    owner.show();
    ASSERT_TRUE(testutil::WaitFor([&owner] { return owner.isVisible(); }));
    TFormMsgBox::SetNextAnswer(mrOk);
    ShowMsgBox(control, QStringLiteral("shown owner"), 0);
    box = TFormMsgBox::LastShown().Geometry;
    const QRect ref = owner.frameGeometry();
    EXPECT_EQ(box.topLeft(),
              QPoint(ref.x() + (ref.width() - box.width()) / 2, ref.y() + (ref.height() - box.height()) / 2));
}

TEST_F(MsgBoxTest, NextAnswerIsUsedOnceAndRecordsTheBox)
{
    const int before = TFormMsgBox::LastShown().Count;
    TFormMsgBox::SetNextAnswer(mrNo);
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Delete the profile?\\nIt cannot be undone."), 36),
              int(mrNo));
    EXPECT_EQ(TFormMsgBox::LastShown().Count, before + 1);
    EXPECT_EQ(TFormMsgBox::LastShown().Style, 36);
    EXPECT_EQ(TFormMsgBox::LastShown().Text, QStringLiteral("Delete the profile?\nIt cannot be undone."));

    // Used up: the next box runs its modal loop, which the close-forms path ends with the cancel result.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [] {
        if (TFormBase* top = TopModalForm())
            top->close();
    });
    poll.start(10);
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("second"), 36), int(mrCancel));
    EXPECT_EQ(TFormMsgBox::LastShown().Count, before + 1);
    EXPECT_TRUE(ModalForms.isEmpty());

    TFormMsgBox::SetNextAnswer(mrYes);
    TFormMsgBox::SetNextAnswer(mrNone);
    poll.start(10);
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("withdrawn"), 4), int(mrCancel));
}

// "Leave the editor?" must not throw the edits away on Enter.
TEST_F(MsgBoxTest, TheSecondButtonCanBeTheDefault)
{
    const int yesNoDefaultNo = 4 | 0x100;
    Layout(QStringLiteral("Discard?"), yesNoDefaultNo);
    EXPECT_TRUE(Cancel()->isDefault());
    EXPECT_FALSE(Ok()->isDefault());
    EXPECT_EQ(RunAndAnswer(QStringLiteral("Discard?"), yesNoDefaultNo,
                           [this] {
                               EXPECT_TRUE(Cancel()->hasFocus());
                               Key(Qt::Key_Return);
                           }),
              int(mrNo));
    EXPECT_EQ(RunAndAnswer(QStringLiteral("Discard?"), yesNoDefaultNo, [this] { Ok()->click(); }),
              int(mrYes));
    Layout(QStringLiteral("Saved."), 0 | 0x100);
    EXPECT_TRUE(Ok()->isDefault()) << "a box of one button keeps it the default";
}
