#include "Udevmonitor.h"
#include "app/Udebug.h"

#include <QSocketNotifier>
#include <libudev.h>

namespace {

// Four upper-case hexadecimal digits, or empty when `text` is no 16-bit hexadecimal number.
QString Hex4(QString text)
{
    if (text.startsWith("0x", Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok || text.isEmpty() || text.size() > 4)
        return {};
    return QString::number(value, 16).toUpper().rightJustified(4, '0');
}

QString Property(udev_device* device, const char* name)
{
    return QString::fromUtf8(udev_device_get_property_value(device, name));
}

QString SysAttr(udev_device* device, const char* name)
{
    return QString::fromUtf8(udev_device_get_sysattr_value(device, name)).trimmed();
}

// The ids of the USB or PCI device the interface sits on; only while it is present.
QString HwIdFromParent(udev_device* device)
{
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device"))
        return HwIdFromIds("usb", SysAttr(usb, "idVendor"), SysAttr(usb, "idProduct"));
    if (udev_device* pci = udev_device_get_parent_with_subsystem_devtype(device, "pci", nullptr))
        return HwIdFromIds("pci", SysAttr(pci, "vendor"), SysAttr(pci, "device"));
    return {};
}

} // namespace

QString HwIdFromIds(const QString& bus, const QString& vendor, const QString& model)
{
    const QString v = Hex4(vendor);
    const QString m = Hex4(model);
    if (v.isEmpty() || m.isEmpty())
        return {};
    if (bus.compare("usb", Qt::CaseInsensitive) == 0)
        return QString("USB\\VID_%1&PID_%2").arg(v, m);
    if (bus.compare("pci", Qt::CaseInsensitive) == 0)
        return QString("PCI\\VEN_%1&DEV_%2").arg(v, m);
    return {};
}

QString GetDeviceHWID(udev_device* device)
{
    const QString id = HwIdFromIds(Property(device, "ID_BUS"), Property(device, "ID_VENDOR_ID"),
                                   Property(device, "ID_MODEL_ID"));
    return id.isEmpty() ? HwIdFromParent(device) : id;
}

CUdevMonitor::CUdevMonitor(QObject* parent) : QObject(parent) {}

CUdevMonitor::~CUdevMonitor()
{
    Close();
}

bool CUdevMonitor::Open()
{
    Close();
    m_Udev = udev_new();
    m_Monitor = m_Udev ? udev_monitor_new_from_netlink(m_Udev, "udev") : nullptr;
    if (!m_Monitor || udev_monitor_filter_add_match_subsystem_devtype(m_Monitor, "net", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_Monitor) < 0) {
        Close();
        return false;
    }
    m_Notifier = new QSocketNotifier(udev_monitor_get_fd(m_Monitor), QSocketNotifier::Read, this);
    connect(m_Notifier, &QSocketNotifier::activated, this, &CUdevMonitor::OnReadable);
    return true;
}

void CUdevMonitor::Close()
{
    delete m_Notifier;
    m_Notifier = nullptr;
    if (m_Monitor)
        udev_monitor_unref(m_Monitor);
    m_Monitor = nullptr;
    if (m_Udev)
        udev_unref(m_Udev);
    m_Udev = nullptr;
}

void CUdevMonitor::OnReadable()
{
    udev_device* device = udev_monitor_receive_device(m_Monitor);
    if (!device)
        return;
    const QString action = QString::fromUtf8(udev_device_get_action(device));
    // Wired and virtual interfaces come through the same subsystem.
    if (Property(device, "DEVTYPE") == "wlan" && (action == "add" || action == "remove"))
        Q_EMIT DeviceEvent(action == "add", QString::fromUtf8(udev_device_get_devpath(device)),
                           GetDeviceHWID(device));
    udev_device_unref(device);
}
