#include "Uformmain.h"
#include "Uformabout.h"
#include "Uformmsgbox.h"
#include "Uformres.h"
#include "Uwinutil.h"
#include "app/Uautostart.h"
#include "app/Uutility.h"
#include "app/Udebug.h"
#include "app/Unotifyevent.h"
#include "controls/Trayicon.h"
#include "engine/Unicadapter.h"
#include "engine/Uthrdcloseform.h"
#include "ui/pages/Uframeapinfo.h"
#include "ui/pages/Uframeprofile.h"
#include "ui/pages/Ulinktexts.h"
#include "ui/pages/Upagetools.h"
#include "ui_Uformmain.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QUrl>
#include <exception>

namespace {

// Tab captions: slate when not selected, white on the selected tab and under the mouse.
const QColor TAB_NORMAL(0x50, 0x64, 0x79); // 7955536 in the settings' blue-green-red order
const QColor TAB_SELECTED(Qt::white);
constexpr int TAB_TEXT_TOP = 37;
const QColor CAPTION_TEXT(0x50, 0x64, 0x79);

// Extra value of a page switch that opens the Site Survey page on a page's request.
constexpr int EXTRA_SURVEY_REQUEST = 1024;
constexpr int DEFAULT_ANTENNA = 4;
// OsKind from which the desktop's own wireless manager exists.
constexpr int OS_WITH_ZERO_CFG = 7;
// Message box style: OK and Cancel with the information icon.
constexpr int MB_OKCANCEL_INFORMATION = 65;
constexpr int MB_OK_WARNING = 0x30;

const QString MENU = QStringLiteral("Menu");
const QString UTILITY = QStringLiteral("Utility");
const QString OPERATE_MODE = QStringLiteral("OperateMode");
const QString ANTENNA_MODE = QStringLiteral("AntennaMode");

enum NotifyCode {
    ncShow = 1,
    ncDevice = 2,
    ncStatus = 3,
    ncZeroCfg = 4,
    ncSaveProfile = 5,
    ncApplying = 7,
    ncProfileList = 8,
    ncCloseAll = 9,
    ncShowPage = 10,
    ncEditScanned = 11,
    ncAttached = NM_ATTACHED,
    ncConnectFailed = NM_CONNECT_FAILED,
};

enum DeviceChange { dcRemoved = 3, dcArrived = 4 };

// Ctrl+1 to Ctrl+4: as many as the station mode has tabs.
constexpr int TAB_KEYS = 4;

QString FieldText(const char* field, size_t size)
{
    return BytesText(field, size);
}

// The entry starts this very program, wherever it was started from, under the title the user sees.
CAutostart Autostart()
{
    return CAutostart(QCoreApplication::applicationFilePath(), g_Var.AppTitle);
}

} // namespace

TFormMain::TFormMain(QWidget* parent)
    : TFormBase(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::FormMain>())
{
    ui->setupUi(this);
    FormCreate();
}

TFormMain::~TFormMain()
{
    // A close-forms thread still running calls into this window; let it finish first.
    for (const QPointer<CThrdCloseForm>& thread : std::as_const(m_CloseThreads)) {
        while (thread && !thread->wait(10))
            QCoreApplication::processEvents();
    }
    for (TPropertyPageFrame* page : m_Pages)
        page->DonePage();
    EndWork();
}

void TFormMain::EndWork()
{
    // The adapter's worker calls into detection while it connects: it stops first.
    m_Attaching.reset();
    m_Adapter.reset();
    m_SelDevice.reset();
    SetDetectIgnore(nullptr);
    m_Detect.reset();
}

void TFormMain::FormCreate()
{
    m_Tabs = {{{ui->LbLinkInfo, ui->FrameLinkInfo1, "ImgMainInfo"},
               {ui->LbSiteSurvey, ui->FrameSurvey1, "ImgMainSurvey"},
               {ui->LbProfile, ui->FrameProfile1, "ImgMainProfile"},
               {ui->LbAdapter, ui->FrameAdapter1, "ImgMainAdapter"},
               {ui->LbAPInfo, ui->FrameAPInfo1, "ImgAPInfo"},
               {ui->LbAPCfg, ui->FrameAPCfg1, "ImgAPCfg"},
               {ui->LbAPFilter, ui->FrameAPFilter1, "ImgAPFilter"}}};
    m_Pages = {ui->FrameAPInfo1, ui->FrameAPCfg1,   ui->FrameAPFilter1, ui->FrameLinkInfo1,
               ui->FrameSurvey1, ui->FrameProfile1, ui->FrameAdapter1};
    for (const TTabPage& t : m_Tabs) {
        t.Tab->SetFontCr(TTrifaceLabel::ckNormal, TAB_NORMAL);
        t.Tab->SetFontCr(TTrifaceLabel::ckOver, TAB_SELECTED);
        t.Tab->SetFontCr(TTrifaceLabel::ckDown, TAB_SELECTED);
        t.Tab->SetOffsetTop(TAB_TEXT_TOP);
        t.Tab->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        t.Tab->setCursor(Qt::PointingHandCursor);
        connect(t.Tab, &TTrifaceLabel::MouseDown, this, &TFormMain::LbLinkInfoMouseDown);
    }
    ui->PBoxBG->setAttribute(Qt::WA_OpaquePaintEvent);
    ui->PBoxBG->installEventFilter(this);
    connect(ui->BtnSoftAP, &QPushButton::clicked, this, &TFormMain::BtnSoftAPClick);
    connect(ui->BtnStation, &QPushButton::clicked, this, &TFormMain::BtnSoftAPClick);
    connect(ui->BtnHelp, &QPushButton::clicked, this, &TFormMain::BtnHelpClick);
    connect(ui->BtnAbout, &QPushButton::clicked, this, &TFormMain::BtnAboutClick);
    ui->BtnSoftAP->setEnabled(false);
    ui->BtnStation->setEnabled(false);

    CreateTabKeys();
    CreateTrayIcon();
    LoadSkin();
    LoadMainTexts();
    LoadLayout(this, objectName());
    for (TPropertyPageFrame* page : m_Pages) {
        page->InitPage();
        page->hide();
    }
    SetMode(0);
}

void TFormMain::CreateTrayIcon()
{
    m_TrayIcon = new TTrayIcon(this);
    // Minimising the window hides it to the tray while the icon shows.
    m_TrayIcon->SetMainWindow(this);
    m_TrayIcon->SetRestoreOn(TTrayIcon::imNone);
    m_TrayIcon->SetPopupMenuOn(TTrayIcon::imNone);
    m_TrayMenu = new QMenu(this);
    m_MenuItWZC = m_TrayMenu->addAction(QStringLiteral("Window Zero Configuration"));
    m_MenuItWZC->setCheckable(true);
    m_MenuItWZC->setChecked(true);
    m_N1 = m_TrayMenu->addSeparator();
    m_MenuItAutostart = m_TrayMenu->addAction(QStringLiteral("Start with the desktop"));
    m_MenuItAutostart->setCheckable(true);
    m_MenuItOpen = m_TrayMenu->addAction(QStringLiteral("Open"));
    m_MenuItClose = m_TrayMenu->addAction(QStringLiteral("Close"));
    connect(m_MenuItWZC, &QAction::triggered, this, &TFormMain::MenuItWZCClick);
    connect(m_MenuItAutostart, &QAction::triggered, this, &TFormMain::MenuItAutostartClick);
    connect(m_MenuItOpen, &QAction::triggered, this, &TFormMain::MenuItOpenClick);
    connect(m_MenuItClose, &QAction::triggered, this, &TFormMain::MenuItCloseClick);
    connect(m_TrayIcon, &TTrayIcon::OnClick, this, &TFormMain::MenuItOpenClick);
    connect(m_TrayIcon, &TTrayIcon::OnMouseDown, this, [this](Qt::MouseButton button) {
        if (button == Qt::RightButton)
            BringToFront();
    });
    connect(m_TrayIcon, &TTrayIcon::OnMouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& pos) {
                TrayIconMainMouseUp(button, pos);
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
    SetTrayHint(QString());
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
    m_StartFlags = flags;
    if (!m_Detect) {
        m_Detect = CThrdDetect::Create(this);
        SetDetectIgnore(m_Detect.get());
    }
    m_TrayIcon->SetIconIndex(tiDisconnected);
    if (flags & SF_TRAYICON)
        m_TrayIcon->SetVisible(true);
}

bool TFormMain::event(QEvent* e)
{
    if (NotifyMsg() != 0 && e->type() == NotifyMsg()) {
        auto* n = static_cast<TNotifyEvent*>(e);
        n->Result = HandleNotify(n->Code, n->Value);
        return true;
    }
    return TFormBase::event(e);
}

int TFormMain::HandleNotify(int code, int value)
{
    switch (code) {
    case ncShow:
        MenuItOpenClick();
        break;
    case ncDevice:
        DeviceChanged(value);
        break;
    case ncAttached:
        AdapterAttached();
        break;
    case ncStatus:
    case ncZeroCfg:
    case ncApplying:
    case ncProfileList:
    case ncConnectFailed:
        AdapterNotify(code, value);
        break;
    case ncSaveProfile:
        return (value & 1) ? 0 : ui->FrameProfile1->SaveProfile(value);
    case ncCloseAll:
        DebugPrint("WPM_CLOSEALL");
        MenuItCloseClick();
        break;
    case ncShowPage:
        ShowPageByCode(value);
        break;
    case ncEditScanned:
        SwitchPage(ui->LbProfile, value);
        break;
    default:
        break;
    }
    return 0;
}

bool TFormMain::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui->PBoxBG && e->type() == QEvent::Paint) {
        QPainter painter(ui->PBoxBG);
        if (m_CurPicture.isNull())
            painter.fillRect(ui->PBoxBG->rect(), palette().window());
        else
            painter.drawImage(0, 0, m_CurPicture);
        return true;
    }
    return TFormBase::eventFilter(watched, e);
}

const TFormMain::TTabPage* TFormMain::FindTab(const TTrifaceLabel* tab) const
{
    for (const TTabPage& t : m_Tabs) {
        if (t.Tab == tab)
            return &t;
    }
    return nullptr;
}

void TFormMain::SwitchPage(TTrifaceLabel* tab, int extra)
{
    const TTabPage* next = FindTab(tab);
    TPropertyPageFrame* newPage = next ? next->Page : nullptr;
    if (m_CurPage && !m_CurPage->LeavePage(newPage, pmSwitchTab, 0))
        return;
    if (!newPage || !newPage->EnterPage(m_CurPage, pmSwitchTab, extra))
        return;
    if (m_CurPage && m_CurPage != newPage)
        m_CurPage->hide();
    newPage->show();
    if (newPage == ui->FrameProfile1)
        FocusPageList(newPage, "LvProf", 1);
    else if (newPage == ui->FrameSurvey1)
        FocusPageList(newPage, "LvSite", 2);
    if (m_CurTab)
        m_CurTab->SetFontCr(TTrifaceLabel::ckNormal, TAB_NORMAL);
    tab->SetFontCr(TTrifaceLabel::ckNormal, TAB_SELECTED);
    m_CurTab = tab;
    m_CurPage = newPage;
    m_CurPicture = FormRes ? FormRes->Picture(QString::fromLatin1(next->Picture)) : QImage();
    update();
}

void TFormMain::FocusPageList(TPropertyPageFrame* page, const char* listName, int place)
{
    try {
        auto* list = page->findChild<QWidget*>(QString::fromLatin1(listName));
        if (list && isVisible() && list->isEnabled() && list->focusPolicy() != Qt::NoFocus)
            list->setFocus();
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFormMain::SwitchPage %d): %s", place, e.what());
    }
}

void TFormMain::LbLinkInfoMouseDown()
{
    auto* tab = qobject_cast<TTrifaceLabel*>(sender());
    if (tab && tab != m_CurTab)
        SwitchPage(tab, 0);
}

void TFormMain::CreateTabKeys()
{
    const auto bind = [this](const QKeySequence& keys, auto action) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, action);
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { StepTab(1); });
    // The window system reports Shift+Tab as a back tab.
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab})
        bind(QKeySequence(Qt::CTRL | Qt::SHIFT | key), [this] { StepTab(-1); });
    for (int i = 0; i < TAB_KEYS; ++i)
        bind(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), [this, i] { SwitchToTab(i); });
}

QList<TTrifaceLabel*> TFormMain::ModeTabs() const
{
    QList<TTrifaceLabel*> tabs;
    for (const TTabPage& t : m_Tabs)
        if (!t.Tab->isHidden())
            tabs << t.Tab;
    return tabs;
}

void TFormMain::StepTab(int step)
{
    const QList<TTrifaceLabel*> tabs = ModeTabs();
    if (tabs.isEmpty())
        return;
    const qsizetype at = tabs.indexOf(m_CurTab);
    SwitchToTab(int((at + step + tabs.size()) % tabs.size()));
}

void TFormMain::SwitchToTab(int index)
{
    const QList<TTrifaceLabel*> tabs = ModeTabs();
    if (index < tabs.size() && tabs[index] != m_CurTab)
        SwitchPage(tabs[index], 0);
}

void TFormMain::SetMode(int mode)
{
    m_Mode = mode;
    for (TTrifaceLabel* tab : {ui->LbLinkInfo, ui->LbSiteSurvey, ui->LbProfile, ui->LbAdapter})
        tab->setVisible(mode == 0);
    for (TTrifaceLabel* tab : {ui->LbAPInfo, ui->LbAPCfg, ui->LbAPFilter})
        tab->setVisible(mode == 1);
    const QImage on = FormRes ? FormRes->Picture(QStringLiteral("ImgBtnEnable")) : QImage();
    const QImage off = FormRes ? FormRes->Picture(QStringLiteral("ImgBtnDisable")) : QImage();
    ui->BtnSoftAP->SetFaces(mode == 1 ? on : off);
    ui->BtnStation->SetFaces(mode == 1 ? off : on);
    if (mode == 1) {
        SwitchPage(ui->LbAPInfo, 0);
        SetTrayIndex(tiSoftAP);
    } else {
        SwitchPage(ui->LbLinkInfo, 0);
        SetTrayIndex(tiDisconnected);
    }
    // The new tabs are drawn before the adapter work that follows. Painting at once instead of running the
    // pending messages keeps a device or close notification from arriving in the middle of that work.
    if (isVisible())
        repaint();
}

void TFormMain::ShowPageByCode(int code)
{
    switch (code) {
    case 1:
        SwitchPage(ui->LbLinkInfo, 0);
        break;
    case 2:
        SwitchPage(ui->LbProfile, 0);
        break;
    case 3:
        SwitchPage(ui->LbSiteSurvey, EXTRA_SURVEY_REQUEST);
        break;
    case 4:
        SwitchPage(ui->LbAPInfo, 0);
        break;
    default:
        break;
    }
}

void TFormMain::BtnSoftAPClick()
{
    const int mode = sender() == ui->BtnSoftAP ? 1 : 0;
    if (mode == m_Mode)
        return;
    // Switching the mode takes the adapter from the pages, and with it whatever the editor holds.
    if (m_CurPage == ui->FrameProfile1 && !ui->FrameProfile1->MayLeaveEditor())
        return;
    if (!m_Adapter) {
        SetMode(mode);
        return;
    }
    BroadcastSetAdapter(m_Adapter.get(), acDetach, m_Mode);
    SetMode(mode);
    m_Adapter->WriteSet(OPERATE_MODE, mode);
    BroadcastSetAdapter(m_Adapter.get(), acAttach, mode);
    SetAdapterAntenna(mode);
    if (!m_Adapter->EnableZeroCfg())
        ConnectLast(mode);
}

void TFormMain::SetAdapterAntenna(int mode)
{
    if (!m_Adapter->EnableAntenna())
        return;
    // On the worker: a connect may hold the library for seconds.
    const auto antenna = uint8_t(mode == 1 ? 0 : m_Adapter->ReadSet(ANTENNA_MODE, DEFAULT_ANTENNA));
    m_Adapter->Queue([antenna](CNICAdapter& adapter) { adapter.SetAntenna(antenna); });
}

void TFormMain::ConnectLast(int mode)
{
    if (mode == 1)
        ui->FrameAPInfo1->ConnectLast();
    else
        ui->FrameProfile1->ConnectLast();
}

void TFormMain::BroadcastSetAdapter(CNICAdapter* adapter, int kind, int value)
{
    for (TPropertyPageFrame* page : m_Pages)
        page->SetAdapter(adapter, kind, value);
}

void TFormMain::BroadcastAdapterEvent(CNICAdapter* adapter, int code, int value)
{
    for (TPropertyPageFrame* page : m_Pages)
        page->AdapterEvent(adapter, code, value);
}

void TFormMain::DeviceChanged(int kind)
{
    if (m_Closing)
        return;
    if (kind == dcArrived) {
        std::vector<TAdapterDesc> list;
        std::vector<QByteArray> plugs;
        if (m_Detect)
            m_Detect->GetDevices(list, &plugs);
        plugs.resize(list.size());
        const int at = m_SelDevice ? FindDevRecord(*m_SelDevice, list.data(), int(list.size())) : -1;
        if (!m_SelDevice && !list.empty())
            SelectDevice(list.front(), plugs.front());
        // Unplugged and plugged in again: the adapter object serves a device that is gone.
        else if (m_SelDevice && (at < 0 || plugs[size_t(at)] != m_SelPlug))
            BeginCloseAdapter();
    } else if (kind == dcRemoved && m_SelDevice) {
        BeginCloseAdapter();
    }
}

void TFormMain::SelectDevice(const TAdapterDesc& record, const QByteArray& plug)
{
    if (m_SelDevice)
        return;
    m_SelDevice = record;
    m_SelPlug = plug;
    DebugPrint("Select Dev: <%s><%s><%s>",
               qPrintable(FieldText(record.Description, sizeof record.Description)),
               qPrintable(FieldText(record.HwId, sizeof record.HwId)),
               qPrintable(FieldText(record.Instance, sizeof record.Instance)));
    // The adapter reads every stored profile from the library as it starts: that runs on its worker, and the
    // adapter is taken into use when it reports being ready (AdapterAttached).
    if (!m_Adapter && !m_Attaching)
        m_Attaching = CNICAdapter::Create(this, m_StartFlags, record, CNICAdapter::InitialOnWorker);
}

void TFormMain::AdapterAttached()
{
    if (!m_Attaching || !m_Attaching->Attached())
        return;
    m_Adapter = std::move(m_Attaching);
    const bool service = m_StartFlags & SF_SERVICE;
    WLProfile lastApplied{};
    int mode;
    if (service) {
        m_Adapter->GetLastApplied(lastApplied);
        mode = lastApplied.FuncMode;
    } else {
        mode = m_Adapter->ReadSet(OPERATE_MODE, 0);
    }
    mode = mode == 1 ? 1 : 0;
    SetAdapterAntenna(mode);
    SetMode(mode);
    const bool softAP = m_Adapter->EnableSoftAP();
    ui->BtnSoftAP->setEnabled(softAP);
    ui->BtnStation->setEnabled(softAP);
    if (softAP)
        LoadAPProfile(g_Var.SoftAPProfile);
    BroadcastSetAdapter(m_Adapter.get(), acAttach, mode);
    if (service) {
        if (!m_Adapter->EnableZeroCfg())
            m_Adapter->Connect(lastApplied);
        return;
    }
    if (!m_Adapter->EnableZeroCfg())
        ConnectLast(mode);
    SetTrayIndex(tiDisconnected);
    if (!m_TrayIcon->Visible())
        m_TrayIcon->SetVisible(true);
}

void TFormMain::LoadAPProfile(WLProfile& target)
{
    if (!m_Adapter)
        return;
    TProfileList list;
    m_Adapter->GetProfileList(PROF_SOFTAP, list);
    target = list.empty() ? m_Adapter->DefAPProfile() : *list.front();
}

void TFormMain::BeginCloseAdapter()
{
    m_Closing = true;
    auto* thread = new CThrdCloseForm(this, [] { return static_cast<QObject*>(TopModalForm()); });
    thread->OnTerminate = [this] { CloseAdapter(); };
    StartCloseForms(thread);
}

void TFormMain::StartCloseForms(CThrdCloseForm* thread)
{
    m_CloseThreads.removeAll(nullptr);
    m_CloseThreads << thread;
    thread->start();
}

void TFormMain::CloseAdapter()
{
    if (!m_SelDevice)
        return;
    if (m_Adapter)
        BroadcastSetAdapter(m_Adapter.get(), acDetach, m_Mode);
    ui->BtnSoftAP->setEnabled(false);
    ui->BtnStation->setEnabled(false);
    m_Attaching.reset();
    m_Adapter.reset();
    m_SelDevice.reset();
    m_Closing = false;
    if (!(m_StartFlags & SF_SERVICE)) {
        SetTrayIndex(tiDisconnected);
        if (!(m_StartFlags & SF_TRAYICON)) {
            m_TrayIcon->SetVisible(false);
            hide();
        }
    }
    // A device still (or again) present is taken up now: its report may have come while closing.
    DeviceChanged(dcArrived);
}

void TFormMain::AdapterNotify(int code, int value)
{
    if (!m_Adapter)
        return;
    if (code == ncStatus) {
        // Marks the moment the program first knows the link's state, for start-up measurements.
        if (!m_StatusSeen)
            DebugPrint("TFormMain: first status report");
        m_StatusSeen = true;
        UpdateTrayIcon();
    } else if (code == ncApplying && !(value & 1)) {
        SetTrayIndex(tiDisconnected);
        SetTrayHint(QString());
    } else if (code == ncConnectFailed) {
        TConnectFailure failure;
        if (m_Adapter->GetConnectFailure(failure))
            SetTrayHint(ConnectFailureText(failure));
    }
    BroadcastAdapterEvent(m_Adapter.get(), code, value);
    if (code == ncZeroCfg)
        WZCChanged(value == 1);
}

void TFormMain::UpdateTrayIcon()
{
    if (!m_Adapter || m_Adapter->EnableZeroCfg())
        return;
    WLANStatus status{};
    m_Adapter->GetStatus(status);
    SetTrayIndex(m_Mode == 1 ? tiSoftAP : status.MediaState == 0 ? tiConnected : tiDisconnected);
    if (m_Mode == 1 || status.MediaState == 0)
        SetTrayHint(QString());
}

void TFormMain::SetTrayHint(const QString& text)
{
    const QString hint =
        text.isEmpty() ? g_Var.GetLangText(UTILITY, QStringLiteral("ProductName"), g_Var.AppTitle) : text;
    // The tip holds fewer than HINT_LIMIT characters; a longer line shows that it goes on.
    const int room = TTrayIcon::HINT_LIMIT - 1;
    m_TrayIcon->SetHint(hint.size() <= room ? hint : hint.left(room - 1) + QChar(0x2026));
}

void TFormMain::SetTrayIndex(int index)
{
    if (m_TrayIcon->IconIndex() != index)
        m_TrayIcon->SetIconIndex(index);
}

void TFormMain::WZCChanged(bool toZeroCfg)
{
    if (toZeroCfg) {
        StartCloseForms(new CThrdCloseForm(this, [] { return static_cast<QObject*>(TopModalForm()); }));
        SetTrayIndex(tiDisconnected);
        hide();
        return;
    }
    ConnectLast(m_Mode);
    ShowPageByCode(m_Mode == 1 ? 4 : 1);
}

void TFormMain::UpdateTrayMenu()
{
    const std::pair<QAction*, const char*> items[] = {{m_MenuItWZC, "MenuWZC"},
                                                       {m_MenuItAutostart, "MenuAutostart"},
                                                       {m_MenuItOpen, "MenuOpen"},
                                                       {m_MenuItClose, "MenuClose"}};
    for (const auto& [item, key] : items)
        item->setText(g_Var.GetLangText(MENU, QLatin1String(key), item->text()));
    // Another program (the desktop's own settings) may have changed the entry since the last look.
    m_MenuItAutostart->setChecked(Autostart().IsEnabled());
    const bool wzc = g_Var.OsKind >= OS_WITH_ZERO_CFG && m_Adapter;
    m_MenuItWZC->setVisible(wzc);
    m_N1->setVisible(wzc);
    if (wzc)
        m_MenuItWZC->setChecked(m_Adapter->EnableZeroCfg());
    m_MenuItOpen->setVisible(false);
}

void TFormMain::TrayIconMainMouseUp(Qt::MouseButton button, const QPoint& pos)
{
    if (button != Qt::RightButton)
        return;
    UpdateTrayMenu();
    m_TrayMenu->popup(pos);
}

void TFormMain::MenuItWZCClick()
{
    if (m_Adapter)
        m_Adapter->WriteUseWZC(!m_Adapter->EnableZeroCfg());
}

void TFormMain::MenuItAutostartClick(bool checked)
{
    if (Autostart().SetEnabled(checked))
        return;
    m_MenuItAutostart->setChecked(!checked);
    QString text = g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("ErAutostart"),
                                     QStringLiteral("The desktop's autostart entry %s cannot be changed."));
    ShowMsgBox(this, text.replace(QLatin1String("%s"), CAutostart::EntryPath()), MB_OK_WARNING);
}

void TFormMain::MenuItOpenClick()
{
    if (!m_Adapter && !(m_StartFlags & SF_TRAYICON))
        return;
    if (m_Adapter && m_Adapter->EnableZeroCfg()) {
        if (!AskManager(this))
            return;
        m_Adapter->WriteUseWZC(false);
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
    if (m_Adapter)
        driver = {m_Adapter->DriverVersion(), m_Adapter->DriverPath()};
    about.ShowAbout(this, m_Adapter ? &driver : nullptr);
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
