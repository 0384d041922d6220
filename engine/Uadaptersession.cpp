#include "Uadaptersession.h"
#include "Udetectignore.h"
#include "app/Udebug.h"
#include "app/Unotifyevent.h"
#include "app/Uutility.h"

#include <vector>

namespace {

constexpr int DEFAULT_ANTENNA = 4;
const QString OPERATE_MODE = QStringLiteral("OperateMode");
const QString ANTENNA_MODE = QStringLiteral("AntennaMode");

} // namespace

CAdapterSession::CAdapterSession(QObject* parent) : QObject(parent) {}

CAdapterSession::~CAdapterSession()
{
    EndWork();
}

void CAdapterSession::Start(uint32_t flags)
{
    m_StartFlags = flags;
    if (m_Detect)
        return;
    m_Detect = CThrdDetect::Create(this);
    SetDetectIgnore(m_Detect.get());
}

void CAdapterSession::EndWork()
{
    // The adapter's worker calls into detection while it connects: it stops first.
    m_Attaching.reset();
    m_Adapter.reset();
    m_SelDevice.reset();
    SetDetectIgnore(nullptr);
    m_Detect.reset();
}

bool CAdapterSession::event(QEvent* e)
{
    if (NotifyMsg() != 0 && e->type() == NotifyMsg()) {
        auto* n = static_cast<TNotifyEvent*>(e);
        n->Result = HandleNotify(n->Code, n->Value);
        return true;
    }
    return QObject::event(e);
}

int CAdapterSession::HandleNotify(int code, int value)
{
    switch (code) {
    case NM_SHOW:
        Q_EMIT ShowRequested();
        break;
    case NM_DEVICE:
        DeviceChanged(value);
        break;
    case NM_ATTACHED:
        AdapterAttached();
        break;
    case NM_SERVICE:
        Q_EMIT AdapterEvent(nullptr, code, value); // no adapter: the pages and the tray say why
        break;
    case NM_STATUS:
    case NM_ZEROCFG:
    case NM_APPLYING:
    case NM_PROFILE_LIST:
    case NM_CONNECT_FAILED:
        AdapterNotify(code, value);
        break;
    case NM_SAVE_PROFILE:
        return (value & 1) || !m_ProfileSaver ? 0 : m_ProfileSaver(value);
    case NM_CLOSE_ALL:
        DebugPrint("WPM_CLOSEALL");
        Q_EMIT CloseRequested();
        break;
    case NM_SHOW_PAGE:
        Q_EMIT PageRequested(value);
        break;
    case NM_EDIT_SCANNED:
        Q_EMIT EditorRequested(value);
        break;
    default:
        break;
    }
    return 0;
}

void CAdapterSession::SetMode(int mode)
{
    m_Mode = mode;
    Q_EMIT ModeChanged(mode);
}

void CAdapterSession::SwitchMode(int mode)
{
    if (!m_Adapter) {
        SetMode(mode);
        return;
    }
    Q_EMIT AdapterDetaching(m_Adapter.get(), m_Mode);
    SetMode(mode);
    m_Adapter->WriteSet(OPERATE_MODE, mode);
    Q_EMIT AdapterAttaching(m_Adapter.get(), mode);
    SetAdapterAntenna(mode);
    if (!m_Adapter->EnableZeroCfg())
        Q_EMIT ConnectLastRequested(mode);
}

void CAdapterSession::SetAdapterAntenna(int mode)
{
    if (!m_Adapter->EnableAntenna())
        return;
    // On the worker: a connect may hold the library for seconds.
    const auto antenna = uint8_t(mode == 1 ? 0 : m_Adapter->ReadSet(ANTENNA_MODE, DEFAULT_ANTENNA));
    m_Adapter->Queue([antenna](CNICAdapter& adapter) { adapter.SetAntenna(antenna); });
}

void CAdapterSession::DeviceChanged(int kind)
{
    if (m_Closing)
        return;
    if (kind == DEVICE_ARRIVED) {
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
    } else if (kind == DEVICE_REMOVED && m_SelDevice) {
        BeginCloseAdapter();
    }
}

void CAdapterSession::SelectDevice(const TAdapterDesc& record, const QByteArray& plug)
{
    if (m_SelDevice)
        return;
    m_SelDevice = record;
    m_SelPlug = plug;
    DebugPrint("Select Dev: <%s><%s><%s>",
               qPrintable(BytesText(record.Description, sizeof record.Description)),
               qPrintable(BytesText(record.HwId, sizeof record.HwId)),
               qPrintable(BytesText(record.Instance, sizeof record.Instance)));
    // The adapter reads every stored profile from the library as it starts: that runs on its worker, and the
    // adapter is taken into use when it reports being ready (AdapterAttached).
    if (!m_Adapter && !m_Attaching)
        m_Attaching = CNICAdapter::Create(this, m_StartFlags, record, CNICAdapter::InitialOnWorker);
}

void CAdapterSession::AdapterAttached()
{
    if (!m_Attaching || !m_Attaching->Attached())
        return;
    m_Adapter = std::move(m_Attaching);
    // A window hidden before the adapter came wants only the link's changes from it too.
    m_Adapter->SetChangesOnly(m_ChangesOnly);
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
    Q_EMIT SoftAPAvailable(m_Adapter->EnableSoftAP());
    // The pages learn that what they read from the last adapter (the Soft AP profile) is to be read again.
    Q_EMIT AdapterEvent(m_Adapter.get(), NM_ATTACHED, 0);
    Q_EMIT AdapterAttaching(m_Adapter.get(), mode);
    if (service) {
        if (!m_Adapter->EnableZeroCfg())
            m_Adapter->Connect(lastApplied);
        return;
    }
    if (!m_Adapter->EnableZeroCfg())
        Q_EMIT ConnectLastRequested(mode);
    Q_EMIT AdapterReady();
}

void CAdapterSession::BeginCloseAdapter()
{
    m_Closing = true;
    if (m_FormCloser)
        m_FormCloser([this] { CloseAdapter(); });
    else
        CloseAdapter();
}

void CAdapterSession::CloseAdapter()
{
    if (!m_SelDevice)
        return;
    if (m_Adapter)
        Q_EMIT AdapterDetaching(m_Adapter.get(), m_Mode);
    Q_EMIT SoftAPAvailable(false);
    m_Attaching.reset();
    m_Adapter.reset();
    m_SelDevice.reset();
    m_Closing = false;
    Q_EMIT AdapterClosed();
    // A device still (or again) present is taken up now: its report may have come while closing.
    DeviceChanged(DEVICE_ARRIVED);
}

void CAdapterSession::AdapterNotify(int code, int value)
{
    if (!m_Adapter)
        return;
    if (code == NM_STATUS) {
        // Marks the moment the program first knows the link's state, for start-up measurements.
        if (!m_StatusSeen)
            DebugPrint("CAdapterSession: first status report");
        m_StatusSeen = true;
        UpdateLink();
    } else if (code == NM_APPLYING && !(value & 1)) {
        Q_EMIT Applying();
    } else if (code == NM_CONNECT_FAILED) {
        TConnectFailure failure;
        if (m_Adapter->GetConnectFailure(failure))
            Q_EMIT ConnectFailed(failure);
    }
    // Q_EMIT expands to nothing, so the static check measures this line from the signal's name and takes it
    // for a body of the if above.
    Q_EMIT AdapterEvent(m_Adapter.get(), code, value); // NOLINT(readability-misleading-indentation)
    if (code == NM_ZEROCFG)
        ZeroCfgChanged(value == 1);
}

void CAdapterSession::SetChangesOnly(bool on)
{
    m_ChangesOnly = on;
    if (m_Adapter)
        m_Adapter->SetChangesOnly(on);
}

void CAdapterSession::UpdateLink()
{
    if (m_Adapter->EnableZeroCfg())
        return;
    WLANStatus status{};
    m_Adapter->GetStatus(status);
    Q_EMIT LinkChanged(m_Mode == 1 ? lsSoftAP : status.MediaState == 0 ? lsUp : lsDown);
}

void CAdapterSession::ZeroCfgChanged(bool toZeroCfg)
{
    if (toZeroCfg) {
        Q_EMIT HandedToManager();
        return;
    }
    Q_EMIT ConnectLastRequested(m_Mode);
    Q_EMIT PageRequested(m_Mode == 1 ? PAGE_AP_INFO : PAGE_LINK_INFO);
}
