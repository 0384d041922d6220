#include "Uformmain.h"
#include "Uformabout.h"
#include "Uformmsgbox.h"
#include "Uformres.h"
#include "Uthrdcloseform.h"
#include "Uwinutil.h"
#include "app/Uutility.h"
#include "app/Udebug.h"
#include "app/Unotifyevent.h"
#include "controls/Trayicon.h"
#include "engine/Unicadapter.h"
#include "ui/pages/Upagetools.h"
#include "ui_Uformmain.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>
#include <exception>

namespace {

const QColor CAPTION_TEXT(0x50, 0x64, 0x79);
// OsKind from which the desktop's own wireless manager exists.
constexpr int OS_WITH_ZERO_CFG = 7;
// Message box style: OK and Cancel with the information icon.
constexpr int MB_OKCANCEL_INFORMATION = 65;

const QString UTILITY = QStringLiteral("Utility");

} // namespace

TFormMain::TFormMain(QWidget* parent)
    : TFormBase(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::FormMain>()), m_Session(std::make_unique<CAdapterSession>())
{
    ui->setupUi(this);
    m_Pages = new TMainPages(this, *ui);
    ConnectSession();
    FormCreate();
}

TFormMain::~TFormMain()
{
    // A close-forms thread still running calls into this window; let it finish first.
    for (const QPointer<CThrdCloseForm>& thread : std::as_const(m_CloseThreads)) {
        while (thread && !thread->wait(10))
            QCoreApplication::processEvents();
    }
    m_Pages->DonePages();
    m_Session->EndWork();
}

void TFormMain::ConnectSession()
{
    CAdapterSession* s = m_Session.get();
    connect(s, &CAdapterSession::ShowRequested, this, &TFormMain::MenuItOpenClick);
    connect(s, &CAdapterSession::CloseRequested, this, &TFormMain::MenuItCloseClick);
    connect(s, &CAdapterSession::PageRequested, m_Pages, &TMainPages::ShowPageByCode);
    connect(s, &CAdapterSession::EditorRequested, this,
            [this](int extra) { SwitchPage(ui->LbProfile, extra); });
    connect(s, &CAdapterSession::ModeChanged, this, &TFormMain::ShowMode);
    connect(s, &CAdapterSession::AdapterAttaching, m_Pages,
            [this](CNICAdapter* adapter, int mode) { m_Pages->SetAdapter(adapter, acAttach, mode); });
    connect(s, &CAdapterSession::AdapterDetaching, m_Pages,
            [this](CNICAdapter* adapter, int mode) { m_Pages->SetAdapter(adapter, acDetach, mode); });
    connect(s, &CAdapterSession::AdapterEvent, m_Pages, &TMainPages::AdapterEvent);
    connect(s, &CAdapterSession::SoftAPAvailable, this, [this](bool available) {
        ui->BtnSoftAP->setEnabled(available);
        ui->BtnStation->setEnabled(available);
    });
    connect(s, &CAdapterSession::ConnectLastRequested, m_Pages, &TMainPages::ConnectLast);
    connect(s, &CAdapterSession::HandedToManager, this, &TFormMain::HandedToManager);
    connect(s, &CAdapterSession::AdapterClosed, this, &TFormMain::AdapterClosed);
    // The window starts hidden, and started in the tray it may never be shown: until it is, only the link's
    // changes are reported (see event()).
    s->SetChangesOnly(true);
    s->SetFormCloser([this](std::function<void()> done) { CloseForms(std::move(done)); });
    s->SetProfileSaver([this](int flags) { return m_Pages->SaveProfile(flags); });
}

void TFormMain::FormCreate()
{
    connect(ui->BtnHelp, &QPushButton::clicked, this, &TFormMain::BtnHelpClick);
    connect(ui->BtnAbout, &QPushButton::clicked, this, &TFormMain::BtnAboutClick);
    CreateModeSwitch();
    CreateTray();
    LoadSkin();
    LoadMainTexts();
    SetLateControls(m_Pages->LatePageNames());
    LoadLayout(this, objectName());
    m_Pages->InitPages();
    SetMode(0);
}

void TFormMain::CreateModeSwitch()
{
    connect(ui->BtnSoftAP, &QPushButton::clicked, this, &TFormMain::BtnSoftAPClick);
    connect(ui->BtnStation, &QPushButton::clicked, this, &TFormMain::BtnSoftAPClick);
    ui->BtnSoftAP->setEnabled(false);
    ui->BtnStation->setEnabled(false);
    // The mode buttons are a choice of two: a screen reader says so and which mode is on, and the arrow keys
    // move between them as between radio buttons. Their pictures show the mode as before. In a group of
    // their own the choice stays between the two: left to their parent, Tab in the running program skipped
    // the editor's network-type radio buttons.
    auto* modes = new QButtonGroup(this);
    for (TTrifaceBtn* b : {ui->BtnSoftAP, ui->BtnStation}) {
        b->setCheckable(true);
        b->setAutoExclusive(true);
        modes->addButton(b);
        b->installEventFilter(this);
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* e)
{
    // An arrow key only moves the focus to the other mode: a radio button would choose it at once, and
    // switching the mode drops the access point or the link. Space or Enter chooses.
    const bool modeButton = watched == ui->BtnSoftAP || watched == ui->BtnStation;
    if (!modeButton || e->type() != QEvent::KeyPress)
        return TFormBase::eventFilter(watched, e);
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right)
        return TFormBase::eventFilter(watched, e);
    TTrifaceBtn* other = watched == ui->BtnSoftAP ? ui->BtnStation : ui->BtnSoftAP;
    if (other->isEnabled())
        other->setFocus(key == Qt::Key_Up || key == Qt::Key_Left ? Qt::BacktabFocusReason
                                                                 : Qt::TabFocusReason);
    return true;
}

void TFormMain::CreateTray()
{
    m_Tray = new TMainTray(this);
    m_TrayIcon = m_Tray->Icon();
    m_Tray->Follow(m_Session.get());
    connect(m_Tray->ItWZC(), &QAction::triggered, this, &TFormMain::MenuItWZCClick);
    connect(m_Tray->ItOpen(), &QAction::triggered, this, &TFormMain::MenuItOpenClick);
    connect(m_Tray->ItClose(), &QAction::triggered, this, &TFormMain::MenuItCloseClick);
    connect(m_TrayIcon, &TTrayIcon::OnClick, this, &TFormMain::MenuItOpenClick);
    connect(m_TrayIcon, &TTrayIcon::OnMouseDown, this, [this](Qt::MouseButton button) {
        if (button == Qt::RightButton)
            BringToFront();
    });
}

void TFormMain::LoadSkin()
{
    if (!FormRes)
        return;
    ui->BtnHelp->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnHelpN")));
    ui->BtnHelp->SetFacesDown(FormRes->Picture(QStringLiteral("ImgBtnHelpH")));
    ui->BtnHelp->SetFacesOver(FormRes->Picture(QStringLiteral("ImgBtnHelpH")));
    ui->BtnAbout->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnAboutN")));
    ui->BtnAbout->SetFacesDown(FormRes->Picture(QStringLiteral("ImgBtnAboutH")));
    ui->BtnAbout->SetFacesOver(FormRes->Picture(QStringLiteral("ImgBtnAboutH")));
    // No face of their own when disabled: without an adapter, or with one that has no Soft AP, the buttons
    // still show which mode is current.
    for (TTrifaceBtn* b : {ui->BtnSoftAP, ui->BtnStation})
        b->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnDisable")));
    for (TTrifaceBtn* b : {ui->BtnHelp, ui->BtnAbout, ui->BtnSoftAP, ui->BtnStation})
        b->SetAutoShape(true);
    const QSize size = FormRes->Picture(QStringLiteral("ImgMainInfo")).size();
    if (!size.isEmpty()) {
        setFixedSize(size);
        ui->PBoxBG->setGeometry(QRect(QPoint(0, 0), size));
    }
    m_TrayIcon->SetIcons(g_Var.OsKind >= OS_WITH_ZERO_CFG ? &FormRes->ImgsKeltoIconXP
                                                          : &FormRes->ImgsKeltoIcon);
}

void TFormMain::LoadMainTexts()
{
    LoadTexts(QStringLiteral("FormMain"));
    setWindowTitle(g_Var.AppTitle);
    m_Tray->SetHint(QString());
    ui->LbCopyright->setText(
        g_Var.GetLangText(UTILITY, QStringLiteral("Copyright1"), ui->LbCopyright->text()));
    ui->LbCopyright->SetEllipsisEnd(true);
    ui->LbCopyright->setAlignment(Qt::AlignCenter);
    for (QLabel* caption : {static_cast<QLabel*>(ui->LbCopyright), static_cast<QLabel*>(ui->LbSoftAP),
                            static_cast<QLabel*>(ui->LbStation)}) {
        QPalette pal = caption->palette();
        pal.setColor(QPalette::WindowText, caption == ui->LbCopyright ? CAPTION_TEXT : QColor(Qt::white));
        caption->setPalette(pal);
    }
}

void TFormMain::SetStartFlags(uint32_t flags)
{
    m_Session->Start(flags);
    m_TrayIcon->SetIconIndex(tiDisconnected);
    if (flags & SF_TRAYICON)
        m_TrayIcon->SetVisible(true);
}

bool TFormMain::event(QEvent* e)
{
    if (NotifyMsg() != 0 && e->type() == NotifyMsg()) {
        auto* n = static_cast<TNotifyEvent*>(e);
        n->Result = m_Session->HandleNotify(n->Code, n->Value);
        return true;
    }
    // Hidden, the window shows no values of the link: only its coming up or going down matters (the tray
    // icon), and the pages catch up when shown.
    if (e->type() == QEvent::Show || e->type() == QEvent::Hide)
        m_Session->SetChangesOnly(!isVisible());
    return TFormBase::event(e);
}

void TFormMain::SetMode(int mode)
{
    m_Session->SetMode(mode);
}

void TFormMain::ShowMode(int mode)
{
    const QImage on = FormRes ? FormRes->Picture(QStringLiteral("ImgBtnEnable")) : QImage();
    const QImage off = FormRes ? FormRes->Picture(QStringLiteral("ImgBtnDisable")) : QImage();
    ui->BtnSoftAP->SetFaces(mode == 1 ? on : off);
    ui->BtnStation->SetFaces(mode == 1 ? off : on);
    ShowModeChecked(mode);
    m_Pages->ShowMode(mode);
    m_Tray->SetIndex(mode == 1 ? tiSoftAP : tiDisconnected);
    // The new tabs are drawn before the adapter work that follows. Painting at once instead of running the
    // pending messages keeps a device or close notification from arriving in the middle of that work.
    if (isVisible())
        repaint();
}

void TFormMain::BtnSoftAPClick()
{
    const int mode = sender() == ui->BtnSoftAP ? 1 : 0;
    if (mode == Mode())
        return;
    if (!m_Pages->MayLeaveMode()) {
        ShowModeChecked(Mode());
        return;
    }
    m_Session->SwitchMode(mode);
}

void TFormMain::ShowModeChecked(int mode)
{
    // Checking one unchecks the other; unchecking the checked one of the pair is refused. Tab stops at the
    // checked one only, as at a group of radio buttons; the arrow keys reach the other.
    (mode == 1 ? ui->BtnSoftAP : ui->BtnStation)->setChecked(true);
    ui->BtnSoftAP->setFocusPolicy(mode == 1 ? Qt::StrongFocus : Qt::ClickFocus);
    ui->BtnStation->setFocusPolicy(mode == 1 ? Qt::ClickFocus : Qt::StrongFocus);
}

void TFormMain::CloseForms(std::function<void()> done)
{
    auto* thread = new CThrdCloseForm(this, [] { return static_cast<QObject*>(TopModalForm()); });
    thread->OnTerminate = std::move(done);
    m_CloseThreads.removeAll(nullptr);
    m_CloseThreads << thread;
    thread->start();
}

void TFormMain::AdapterClosed()
{
    const uint32_t flags = StartFlags();
    if (flags & SF_SERVICE)
        return;
    m_Tray->SetIndex(tiDisconnected);
    if (!(flags & SF_TRAYICON)) {
        m_TrayIcon->SetVisible(false);
        hide();
    }
}

void TFormMain::HandedToManager()
{
    CloseForms(nullptr);
    m_Tray->SetIndex(tiDisconnected);
    hide();
}

void TFormMain::UpdateTrayMenu()
{
    m_Tray->UpdateMenu();
}

void TFormMain::MenuItWZCClick()
{
    if (CNICAdapter* adapter = Adapter())
        adapter->WriteUseWZC(!adapter->EnableZeroCfg());
}

void TFormMain::MenuItOpenClick()
{
    CNICAdapter* adapter = Adapter();
    if (!adapter && !(StartFlags() & SF_TRAYICON))
        return;
    if (adapter && adapter->EnableZeroCfg()) {
        if (!AskManager(this))
            return;
        adapter->WriteUseWZC(false);
    }
    if (isMinimized())
        showNormal();
    else
        show();
    BringToFront();
}

void TFormMain::MenuItCloseClick()
{
    m_CloseRequested = true;
    close();
}

void TFormMain::BringToFront()
{
    if (isVisible())
        ForceForeground(this);
}

bool TFormMain::AskManager(QWidget* parent)
{
    static bool asking = false;
    if (asking) {
        BringToFront();
        return false;
    }
    const QString name =
        g_Var.GetLangText(UTILITY, QStringLiteral("ProductName"), QStringLiteral("Wireless Adapter Utility"));
    const QString format = g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("UseUtility"),
                                             QStringLiteral("Use %s manage this wireless adapter?"));
    const QString text = QString(format).replace(QStringLiteral("%s"), name);
    asking = true;
    BringToFront();
    int answer = mrCancel;
    try {
        answer = ShowMsgBox(parent, text, MB_OKCANCEL_INFORMATION);
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFormMain::AskManager): %s", e.what());
    }
    asking = false;
    return answer == mrOk;
}

void TFormMain::BtnHelpClick()
{
    const QString file = g_Var.InfoRead(QStringLiteral("Setting"), QStringLiteral("HelpFile"), QString());
    if (file.isEmpty())
        return;
    const QString path = QDir(g_Var.ExePath).filePath(file);
    // The desktop's viewer may not say that the file is missing: it is looked for first.
    if (QFileInfo(path).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    DebugPrint("Help: cannot open %s", qPrintable(path));
    ShowPageMessage(this, "HelpFailed",
                    "The help file %s cannot be opened.\\n"
                    "Check that it is there and that a web browser is installed.",
                    PM_WARNING, path);
}

void TFormMain::BtnAboutClick()
{
    if (m_About)
        return;
    TFormAbout about(this);
    m_About = &about;
    TDriverTexts driver;
    const CNICAdapter* adapter = Adapter();
    if (adapter)
        driver = {adapter->DriverVersion(), adapter->DriverPath()};
    about.ShowAbout(this, adapter ? &driver : nullptr);
}

void TFormMain::closeEvent(QCloseEvent* e)
{
    if (m_CloseRequested) {
        e->accept();
        QCoreApplication::quit();
        return;
    }
    e->ignore();
    hide();
}
