# Builds the world of the demonstration on the stand-in: one Wi-Fi device and the networks around it.
# Argument: the private bus address.
import dbus, sys
bus = dbus.bus.BusConnection(sys.argv[1])
mock = dbus.Interface(bus.get_object('org.freedesktop.NetworkManager', '/org/freedesktop'), 'org.freedesktop.DBus.Mock')
dev = mock.AddStandinDevice('wifi0', 'wlan0', '')
AP = 'org.freedesktop.NetworkManager.AccessPoint'
def point(name, ssid, bssid, mhz, strength, flags, wpa, rsn, mode=2):
    p = mock.AddAccessPoint(dev, name, 'x', bssid, dbus.UInt32(mode), dbus.UInt32(mhz), dbus.UInt32(54000), dbus.Byte(strength), dbus.UInt32(0))
    mock.SetProperty(p, AP, 'Flags', dbus.UInt32(flags, variant_level=1))
    mock.SetProperty(p, AP, 'WpaFlags', dbus.UInt32(wpa, variant_level=1))
    mock.SetProperty(p, AP, 'RsnFlags', dbus.UInt32(rsn, variant_level=1))
    mock.SetProperty(p, AP, 'Ssid', dbus.ByteArray(ssid, variant_level=1))
point('office', b'Harbor-Office', '00:1C:F0:11:22:01', 2437, 88, 1, 0, 0x108)
point('cafe', b'Corner-Cafe', '00:1C:F0:11:22:02', 2462, 58, 0, 0, 0)
point('mixed', b'Lab-Mixed', '00:1C:F0:11:22:06', 5180, 44, 1, 0x10C, 0x10C)
point('corp', b'Corp-Secure', '00:1C:F0:11:22:07', 5240, 70, 1, 0, 0x208)
point('printer', b'PrinterNet', '00:1C:F0:11:22:04', 2422, 64, 1, 0, 0)
point('latin', b'Caf\xe9-Gare', '00:1C:F0:11:22:09', 2412, 36, 0, 0, 0)
# The user's own saved network, which the manager has joined: the default profile ("ANY") brings it back.
mock.ConnectSaved(dev, 'Home', 'Harbor-Office', 'harbor-2026-office')
print(dev)
