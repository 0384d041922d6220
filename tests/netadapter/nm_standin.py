'''Network manager stand-in for the adapter library's tests.

The networkmanager template of python-dbusmock, plus what the library uses and the template lacks:
AddAndActivateConnection2 (it keeps the settings and options it was given, for the test to read back), the
devices' Autoconnect, Ip4Config and Disconnect, and a choice of how the next activation ends.
'''
# pylint: disable=wildcard-import,unused-wildcard-import,invalid-name
import dbus
import dbusmock
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (the template's mock methods come along)
from dbusmock.templates import networkmanager as nm
from gi.repository import GLib

STANDIN = {'outcome': 'activate', 'settings': {}, 'options': {}, 'count': 0, 'reason': 7, 'scan': 'finish'}

DEVICE_STATE = {'activate': 100, 'fail': 40, 'stall': 50}
MODE = {'infrastructure': 2, 'adhoc': 1, 'ap': 3}


def _set(path, iface, name, value):
    obj = dbusmock.get_object(path)
    obj.Set(iface, name, value)
    obj.EmitSignal(iface, 'PropertiesChanged', 'a{sv}', [{name: value}])


def _fail_later(device, active):
    reason = dbus.UInt32(STANDIN['reason'])
    _set(device, nm.DEVICE_IFACE, 'StateReason', dbus.Struct((dbus.UInt32(120), reason), signature='uu'))
    _set(device, nm.DEVICE_IFACE, 'State', dbus.UInt32(120))
    _set(device, nm.DEVICE_IFACE, 'ActiveConnection', dbus.ObjectPath('/'))
    _set(active, nm.ACTIVE_CONNECTION_IFACE, 'State', dbus.UInt32(4))
    return False


def _activate_later(device, active, point):
    _set(device, nm.DEVICE_IFACE, 'State', dbus.UInt32(100))
    _set(device, nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath(point))
    _set(active, nm.ACTIVE_CONNECTION_IFACE, 'State', dbus.UInt32(2))
    return False


def _matching_point(device, ssid):
    for path in dbusmock.get_object(device).access_points:
        if bytes(dbusmock.get_object(path).Get(nm.ACCESS_POINT_IFACE, 'Ssid')) == bytes(ssid):
            return path
    return '/'


def add_and_activate2(self, settings, device, _specific, options):
    STANDIN['settings'] = settings
    STANDIN['options'] = options
    STANDIN['count'] += 1
    name = 'Standin%d' % STANDIN['count']
    conn_path = '/org/freedesktop/NetworkManager/Settings/' + name
    self.AddObject(conn_path, nm.CSETTINGS_IFACE, {}, [])
    conn = dbusmock.get_object(conn_path)
    conn.settings = settings
    conn.AddMethod(nm.CSETTINGS_IFACE, 'GetSettings', '', 'a{sa{sv}}', lambda obj: obj.settings)
    outcome = STANDIN['outcome']
    STANDIN['earlier_state'] = dbusmock.get_object(device).Get(nm.DEVICE_IFACE, 'State')
    wireless = settings['802-11-wireless']
    point = _matching_point(device, wireless['ssid'])
    active = nm.AddActiveConnection(self, [device], conn_path, point, name, dbus.UInt32(1))
    if outcome == 'slow':
        # The device keeps the state of what went before (a failure, say) until the new activation is done.
        _set(device, nm.DEVICE_IFACE, 'State', dbus.UInt32(STANDIN['earlier_state']))
        GLib.timeout_add(300, _activate_later, device, active, point)
    else:
        _set(device, nm.DEVICE_IFACE, 'State', dbus.UInt32(DEVICE_STATE[outcome]))
    _set(device, nm.WIRELESS_DEVICE_IFACE, 'Mode', dbus.UInt32(MODE.get(str(wireless.get('mode', '')), 2)))
    if outcome == 'activate':
        _set(device, nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath(point))
        _set(active, nm.ACTIVE_CONNECTION_IFACE, 'State', dbus.UInt32(2))
    elif outcome == 'fail':
        GLib.timeout_add(300, _fail_later, device, active)
    return (dbus.ObjectPath(conn_path), dbus.ObjectPath(active), dbus.Dictionary({}, signature='sv'))


def device_disconnect(self):
    dbusmock.get_object(nm.MAIN_OBJ).SetDeviceDisconnected(self.path)
    _set(self.path, nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath('/'))


def _scan_done(device):
    obj = dbusmock.get_object(device)
    _set(device, nm.WIRELESS_DEVICE_IFACE, 'LastScan',
         dbus.Int64(obj.Get(nm.WIRELESS_DEVICE_IFACE, 'LastScan') + 1000))
    return False


def request_scan(self, _options):
    if STANDIN['scan'] == 'refuse':
        raise dbus.exceptions.DBusException('Scanning not allowed while unavailable',
                                            name='org.freedesktop.NetworkManager.Device.NotAllowed')
    if STANDIN['scan'] == 'finish':
        GLib.timeout_add(200, _scan_done, self.path)


def load(mock, parameters):
    nm.load(mock, parameters)
    manager = dbusmock.get_object(nm.MANAGER_OBJ)
    manager.AddMethod(nm.MANAGER_IFACE, 'AddAndActivateConnection2', 'a{sa{sv}}ooa{sv}', 'ooa{sv}',
                      add_and_activate2)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='ss', out_signature='s')
def AddStandinDevice(self, device_name, iface_name):
    '''A disconnected Wi-Fi device with what the library reads beyond the template's device.'''
    path = nm.AddWiFiDevice(self, device_name, iface_name, 30)
    device = dbusmock.get_object(path)
    device.AddProperties(nm.DEVICE_IFACE, {'Autoconnect': True, 'Ip4Config': dbus.ObjectPath('/')})
    device.AddProperties(nm.WIRELESS_DEVICE_IFACE, {'ActiveAccessPoint': dbus.ObjectPath('/')})
    device.AddMethod(nm.DEVICE_IFACE, 'Disconnect', '', '', device_disconnect)
    device.AddProperties(nm.WIRELESS_DEVICE_IFACE, {'LastScan': dbus.Int64(5000)})
    device.AddMethod(nm.WIRELESS_DEVICE_IFACE, 'RequestScan', 'a{sv}', '', request_scan)
    return path


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='s', out_signature='')
def SetConnectOutcome(_self, outcome):
    '''How the next activations end: activate, fail (0.3 s after it started), slow (activated 0.3 s after it
    started, the device's earlier state kept until then) or stall.'''
    STANDIN['outcome'] = str(outcome)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='s', out_signature='')
def SetScanOutcome(_self, outcome):
    '''How the next scans end: finish (LastScan moves 0.2 s after the request), refuse (an error at once) or
    stall (accepted, never done).'''
    STANDIN['scan'] = str(outcome)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='u', out_signature='')
def SetFailReason(_self, reason):
    '''The device's state reason of the next failing activations.'''
    STANDIN['reason'] = int(reason)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='a{sa{sv}}a{sv}')
def LastConnection(_self):
    '''Settings and options of the last AddAndActivateConnection2.'''
    return (STANDIN['settings'], STANDIN['options'])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='sssu', out_signature='s')
def AddIp4Config(self, device, address, gateway, prefix):
    '''An IPv4 configuration on a device: one address, its gateway and a name server at the gateway.'''
    path = device.replace('/Devices/', '/IP4Config/')
    self.AddObject(path, nm.DEVICE_IFACE.replace('Device', 'IP4Config'), {
        'AddressData': dbus.Array([{'address': address, 'prefix': dbus.UInt32(prefix)}], signature='a{sv}'),
        'Gateway': gateway,
        'NameserverData': dbus.Array([{'address': gateway}], signature='a{sv}'),
        'Domains': dbus.Array(['example.org'], signature='s'),
    }, [])
    _set(device, nm.DEVICE_IFACE, 'Ip4Config', dbus.ObjectPath(path))
    return path
