#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
struct udev;
struct udev_device;
struct udev_monitor;

// Arrival and removal of wireless network interfaces, as the kernel's device manager reports them.
class CUdevMonitor : public QObject {
    Q_OBJECT
public:
    explicit CUdevMonitor(QObject* parent = nullptr);
    ~CUdevMonitor() override;

    // False when no monitor can be had (no device manager, no netlink socket).
    bool Open();

Q_SIGNALS:
    void DeviceEvent(bool arrival, const QString& devicePath, const QString& hwId);

private:
    void OnReadable();
    void Close();

    udev* m_Udev = nullptr;
    udev_monitor* m_Monitor = nullptr;
    QSocketNotifier* m_Notifier = nullptr;
};

// The hardware id in the form the settings use, "USB\VID_xxxx&PID_xxxx" or "PCI\VEN_xxxx&DEV_xxxx", of a
// device on bus "usb" or "pci" with the given vendor and model numbers (hexadecimal, "0x" allowed); empty
// otherwise.
QString HwIdFromIds(const QString& bus, const QString& vendor, const QString& model);

// The hardware id of a network interface from its device-manager properties, which a removal event still
// carries; while the device is present its parent USB or PCI device answers when the properties do not.
QString GetDeviceHWID(udev_device* device);
