#include "mainfixture.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "controls/Trifacelabel.h"
#include "engine/Ucumlib.h"
#include "simtest.h"
#include "testutil.h"
#include "ui/Propertypageframeunit.h"
#include "ui/Uformres.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <unistd.h>

using testutil::WaitFor;

QTemporaryDir* FormMainTest::s_Dir = nullptr;
TFormRes* FormMainTest::s_Res = nullptr;

void FormMainTest::SetUpTestSuite()
{
    RegisterNotifyMsg();
    s_Dir = new QTemporaryDir;
    QDir(s_Dir->path()).mkdir("run");
    QFile::setPermissions(s_Dir->filePath("run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", s_Dir->filePath("run").toUtf8());
    qputenv("XDG_DATA_HOME", s_Dir->filePath("data").toUtf8());
    ASSERT_TRUE(simtest::LoadSimulator(*s_Dir));
    s_Res = new TFormRes;
    FormRes = s_Res;
}

void FormMainTest::TearDownTestSuite()
{
    FormRes = nullptr;
    delete s_Res;
    delete s_Dir;
}

void FormMainTest::SetUp()
{
    ASSERT_TRUE(m_Dir.isValid());
    // Settings written by one test's adapter stay out of the next test.
    qputenv("XDG_CONFIG_HOME", m_Dir.filePath("config").toUtf8());
    const QByteArray settings = testutil::ReadFile(testutil::BinDir() + "/wlanutil.bin") +
                                QString("\n[Setting]\nProfRoot=MainTest%1\n").arg(getpid()).toUtf8();
    testutil::WriteFile(m_Dir.filePath("wlanutil.bin"), settings);
    QFile::copy(testutil::BinDir() + "/wlanutil.ini", m_Dir.filePath("wlanutil.ini"));
    g_Var.ReadFiles(m_Dir.filePath("wlanutil"));
    g_Var.ProfRoot = QString("MainTest%1").arg(getpid());
    g_Var.OsKind = 7;
    g_TSLib.TSRWL_SetWLProfileDir(g_Var.ProfRoot.toUtf8().constData());
    m_LogPath = m_Dir.filePath("prog.Log");
    testutil::WriteFile(m_LogPath, "");
    DebugLogFile().Open(m_Dir.filePath("prog").toStdString());
    SimCtl("plug");
}

void FormMainTest::TearDown()
{
    m_Main.reset();
    DebugLogFile().Close();
}

QString FormMainTest::SimCtl(const QString& command)
{
    return simtest::SimCtl(command);
}

QString FormMainTest::Log() const
{
    return QString::fromUtf8(testutil::ReadFile(m_LogPath));
}

int FormMainTest::LogCount(const QString& text) const
{
    return testutil::CountLogged(Log(), text);
}

TFormMain& FormMainTest::Main()
{
    if (!m_Main)
        m_Main = std::make_unique<TFormMain>();
    return *m_Main;
}

void FormMainTest::StartWithAdapter(uint32_t flags)
{
    Main().SetStartFlags(flags);
    ASSERT_TRUE(WaitFor([&] { return Main().Adapter() != nullptr; }));
}

TTrifaceLabel* FormMainTest::Tab(const char* name)
{
    return Child<TTrifaceLabel>(name);
}

TPropertyPageFrame* FormMainTest::Page(const char* name)
{
    return Child<TPropertyPageFrame>(name);
}

void FormMainTest::ClickTab(const char* name)
{
    TTrifaceLabel* tab = Tab(name);
    const QPoint middle = tab->mapTo(&Main(), tab->rect().center());
    QWidget* hit = Main().childAt(middle);
    ASSERT_NE(hit, nullptr) << name;
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&Main(), middle));
}

bool FormMainTest::ClickButton(const char* name)
{
    for (QPushButton* button : Main().findChildren<QPushButton*>(QString::fromLatin1(name)))
        if (button->isVisible() && button->isEnabled()) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    return false;
}

void FormMainTest::TypeInto(const char* name, const QString& text)
{
    auto* edit = VisibleChild<QLineEdit>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

void FormMainTest::ChooseByKeys(const char* name, int value)
{
    auto* combo = VisibleChild<QComboBox>(name);
    ASSERT_NE(combo, nullptr) << name;
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    while (combo->currentData().toInt() != value && combo->currentIndex() < combo->count() - 1)
        QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->currentData().toInt(), value) << name;
}

QStringList FormMainTest::VisibleMenuItems()
{
    Main().UpdateTrayMenu();
    QStringList items;
    for (QAction* a : Main().TrayMenu()->actions()) {
        if (a->isVisible())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return items;
}
