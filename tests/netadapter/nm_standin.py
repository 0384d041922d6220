'''Network manager stand-in for the adapter library's tests.

The networkmanager template of python-dbusmock, plus what the library uses and the template lacks:
AddAndActivateConnection2 (it keeps the settings and options it was given, for the test to read back), the
devices' Autoconnect, Ip4Config and Disconnect, and a choice of how the next activation ends.

Like the manager, it refuses what the manager refuses: every settings map goes through libnm's own
verification, a connection whose UUID is already there is refused, volatile connections are forgotten when
their activation ends, and activating the connection "/" picks among the connections already known.
'''
# pylint: disable=wildcard-import,unused-wildcard-import,invalid-name
import uuid

import dbus
import dbusmock
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (the template's mock methods come along)
from dbusmock.templates import networkmanager as nm
import gi
gi.require_version('NM', '1.0')
from gi.repository import GLib, NM  # noqa: E402 (the version is chosen first)

STANDIN = {'outcome': 'activate', 'settings': {}, 'options': {}, 'count': 0, 'reason': 7, 'scan': 'finish',
           'volatile': set(),
           'changes': {'added': 0, 'activated': 0, 'deactivated': 0, 'disconnected': 0}}
INVALID = 'org.freedesktop.NetworkManager.Settings.Connection.InvalidProperty'


def _plain(value):
    '''A value as GLib.Variant takes it, for its D-Bus type.'''
    if isinstance(value, dbus.Dictionary):
        wrap = value.signature.endswith('v') and len(value.signature) == 2
        return {_plain(k): _variant(v) if wrap else _plain(v) for k, v in value.items()}
    if isinstance(value, (dbus.ByteArray, bytes)):
        return bytes(value)
    if isinstance(value, dbus.Array):
        if value.signature == 'y':
            return bytes(value)
        return [_variant(v) if value.signature == 'v' else _plain(v) for v in value]
    if isinstance(value, dbus.Struct):
        return tuple(_plain(v) for v in value)
    if isinstance(value, (dbus.Boolean, bool)):
        return bool(value)
    if isinstance(value, str):
        return str(value)
    return int(value)


SCALARS = [(dbus.Boolean, 'b'), (dbus.Byte, 'y'), (dbus.Int16, 'n'), (dbus.UInt16, 'q'), (dbus.Int32, 'i'),
           (dbus.UInt32, 'u'), (dbus.Int64, 'x'), (dbus.UInt64, 't'), (dbus.Double, 'd'),
           (dbus.ObjectPath, 'o'), (dbus.String, 's')]


def _signature(value):
    for kind, code in SCALARS:
        if isinstance(value, kind):
            return code
    if isinstance(value, (dbus.ByteArray, bytes)):
        return 'ay'
    if isinstance(value, bool):
        return 'b'
    if isinstance(value, str):
        return 's'
    if isinstance(value, dbus.Dictionary):
        return 'a{' + value.signature + '}'
    if isinstance(value, dbus.Array):
        return 'a' + value.signature
    if isinstance(value, dbus.Struct):
        return '(' + ''.join(_signature(v) for v in value) + ')'
    raise TypeError('no D-Bus type for %r' % (value,))


def _variant(value):
    return GLib.Variant(_signature(value), _plain(value))


def verify(settings):
    '''libnm's verification of a connection, as the manager runs it on what it is sent.'''
    try:
        connection = NM.SimpleConnection.new_from_dbus(_variant(settings))
        connection.verify()
        connection.verify_secrets()
    except GLib.Error as error:
        raise dbus.exceptions.DBusException(error.message, name=INVALID)
    return connection


def _known_connections():
    return [str(c) for c in dbusmock.get_object(nm.SETTINGS_OBJ).Get(nm.SETTINGS_IFACE, 'Connections')]


def _remember(path):
    settings = dbusmock.get_object(nm.SETTINGS_OBJ)
    settings.Set(nm.SETTINGS_IFACE, 'Connections', dbus.Array(_known_connections() + [path], signature='o'))


def _forget(path):
    '''A volatile connection goes with the end of its activation.'''
    if path not in STANDIN['volatile']:
        return
    STANDIN['volatile'].discard(path)
    settings = dbusmock.get_object(nm.SETTINGS_OBJ)
    settings.Set(nm.SETTINGS_IFACE, 'Connections',
                 dbus.Array([c for c in _known_connections() if c != path], signature='o'))
    dbusmock.get_object(nm.MAIN_OBJ).RemoveObject(path)


def _end_active(device):
    '''Ends the device's activation, as a new one on the device or a disconnect does.'''
    active = str(dbusmock.get_object(device).Get(nm.DEVICE_IFACE, 'ActiveConnection'))
    if active == '/' or active not in [str(a) for a in dbusmock.get_object(nm.MANAGER_OBJ).Get(
            nm.MANAGER_IFACE, 'ActiveConnections')]:
        return
    connection = str(dbusmock.get_object(active).Get(nm.ACTIVE_CONNECTION_IFACE, 'Connection'))
    nm.RemoveActiveConnection(dbusmock.get_object(nm.MAIN_OBJ), device, active)
    _forget(connection)

class DeviceProperties(dict):
    '''A device's properties, where Autoconnect is what the manager 1.42 makes of its blocks: it reads true
    while none is set; a client writing false sets the user's block, writing true lifts every block. A client's
    Disconnect sets a block of its own, which the device's next activation lifts.'''

    def __init__(self, properties):
        super().__init__(properties)
        self.blocks = set() if properties.get('Autoconnect', True) else {'user'}

    def __setitem__(self, name, value):
        if name == 'Autoconnect':
            self.blocks = set() if value else self.blocks | {'user'}
            value = dbus.Boolean(not self.blocks)
        super().__setitem__(name, value)

    def block(self, device, kind, on):
        self.blocks = self.blocks | {kind} if on else self.blocks - {kind}
        if bool(self['Autoconnect']) != (not self.blocks):
            dict.__setitem__(self, 'Autoconnect', dbus.Boolean(not self.blocks))
            dbusmock.get_object(device).EmitSignal(nm.DEVICE_IFACE, 'PropertiesChanged', 'a{sv}',
                                                   [{'Autoconnect': self['Autoconnect']}])


def _block(device, kind, on):
    dbusmock.get_object(device).props[nm.DEVICE_IFACE].block(device, kind, on)


DEVICE_STATE = {'activate': 100, 'fail': 50, 'unanswered': 50, 'stall': 50}
MODE = {'infrastructure': 2, 'adhoc': 1, 'ap': 3}


def _set(path, iface, name, value):
    obj = dbusmock.get_object(path)
    obj.Set(iface, name, value)
    obj.EmitSignal(iface, 'PropertiesChanged', 'a{sv}', [{name: value}])


def _device_state(device, state, reason):
    '''A device's change of state as the manager announces it: the properties and the StateChanged signal.'''
    obj = dbusmock.get_object(device)
    old = obj.Get(nm.DEVICE_IFACE, 'State')
    _set(device, nm.DEVICE_IFACE, 'StateReason', dbus.Struct((dbus.UInt32(state), dbus.UInt32(reason)),
                                                             signature='uu'))
    _set(device, nm.DEVICE_IFACE, 'State', dbus.UInt32(state))
    obj.EmitSignal(nm.DEVICE_IFACE, 'StateChanged', 'uuu', [dbus.UInt32(state), old, dbus.UInt32(reason)])
    if 40 <= state <= 100:
        _block(device, 'disconnect', False)


def _active_state(active, state, reason):
    _set(active, nm.ACTIVE_CONNECTION_IFACE, 'State', dbus.UInt32(state))
    dbusmock.get_object(active).EmitSignal(nm.ACTIVE_CONNECTION_IFACE, 'StateChanged', 'uu',
                                           [dbus.UInt32(state), dbus.UInt32(reason)])


def _fail_later(device, active, reason):
    '''A refused key as the manager 1.42 ends it: secrets asked for again (need-auth), none given (failed,
    the reason), the activation ended and dropped, the device disconnected with no reason, all at once.'''
    _device_state(device, 60, 8)
    _device_state(device, 120, reason)
    _active_state(active, 4, 3)
    _end_active(device)  # disconnected, with no reason
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
    # Secrets still wanted are asked of an agent; with none there, the activation fails for want of secrets.
    lacking = verify(settings).need_secrets()[0]
    wanted = str(settings['connection']['uuid'])
    for known in _known_connections():
        if str(dbusmock.get_object(known).settings['connection']['uuid']) == wanted:
            raise dbus.exceptions.DBusException('a connection with UUID %s exists already' % wanted, name=INVALID)
    STANDIN['settings'] = settings
    STANDIN['options'] = options
    STANDIN['count'] += 1
    STANDIN['changes']['added'] += 1
    name = 'Standin%d' % STANDIN['count']
    conn_path = '/org/freedesktop/NetworkManager/Settings/' + name
    _end_active(device)
    self.AddObject(conn_path, nm.CSETTINGS_IFACE, {}, [])
    _remember(conn_path)
    if str(options.get('persist', '')) == 'volatile':
        STANDIN['volatile'].add(conn_path)
    conn = dbusmock.get_object(conn_path)
    conn.settings = settings
    conn.AddMethod(nm.CSETTINGS_IFACE, 'GetSettings', '', 'a{sa{sv}}', lambda obj: obj.settings)
    outcome = 'unanswered' if lacking else STANDIN['outcome']
    STANDIN['earlier_state'] = dbusmock.get_object(device).Get(nm.DEVICE_IFACE, 'State')
    wireless = settings['802-11-wireless']
    point = _matching_point(device, wireless['ssid'])
    active = nm.AddActiveConnection(self, [device], conn_path, point, name, dbus.UInt32(1))
    if outcome == 'slow':
        # The device keeps the state of what went before (a failure, say) until the new activation is done.
        _set(device, nm.DEVICE_IFACE, 'State', dbus.UInt32(STANDIN['earlier_state']))
        GLib.timeout_add(300, _activate_later, device, active, point)
    else:
        _device_state(device, 40, 0)
        _device_state(device, DEVICE_STATE[outcome], 0)
    _set(device, nm.WIRELESS_DEVICE_IFACE, 'Mode', dbus.UInt32(MODE.get(str(wireless.get('mode', '')), 2)))
    if outcome == 'activate':
        _set(device, nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath(point))
        _active_state(active, 2, 1)
    elif outcome == 'fail':
        GLib.timeout_add(300, _fail_later, device, active, STANDIN['reason'])
    elif outcome == 'unanswered':
        GLib.timeout_add(300, _fail_later, device, active, 7)
    return (dbus.ObjectPath(conn_path), dbus.ObjectPath(active), dbus.Dictionary({}, signature='sv'))


def _point_of(device, connection):
    return _matching_point(device, dbusmock.get_object(connection).settings['802-11-wireless'].get('ssid', b''))


def activate(self, connection, device, specific):
    '''The connection "/" lets the manager choose: the first known connection whose network is in range.'''
    if str(connection) == '/':
        known = [c for c in _known_connections() if _point_of(device, c) != '/']
        if not known:
            raise dbus.exceptions.DBusException('No suitable connection found',
                                                name='org.freedesktop.NetworkManager.UnknownConnection')
        connection = known[0]
    if str(specific) == '/':
        specific = _point_of(device, connection)
    STANDIN['changes']['activated'] += 1
    STANDIN['count'] += 1
    _end_active(device)
    # Every activation is a new object, as with the manager (the template's would reuse the path of an ended one).
    active = nm.AddActiveConnection(self, [device], connection, specific, 'Activation%d' % STANDIN['count'],
                                    dbus.UInt32(2))
    _set(device, nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath(specific))
    _block(device, 'disconnect', False)
    return active


def deactivate(_self, active):
    STANDIN['changes']['deactivated'] += 1
    for device in dbusmock.get_object(active).Get(nm.ACTIVE_CONNECTION_IFACE, 'Devices'):
        _end_active(str(device))


def device_disconnect(self):
    if str(self.Get(nm.DEVICE_IFACE, 'ActiveConnection')) == '/':
        raise dbus.exceptions.DBusException('This device is not active',
                                            name='org.freedesktop.NetworkManager.Device.NotActive')
    STANDIN['changes']['disconnected'] += 1
    _block(self.path, 'disconnect', True)
    _end_active(self.path)
    dbusmock.get_object(nm.MAIN_OBJ).SetDeviceDisconnected(self.path)
    _set(self.path, nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath('/'))


def _scan_done(device):
    obj = dbusmock.get_object(device)
    _set(device, nm.WIRELESS_DEVICE_IFACE, 'LastScan',
         dbus.Int64(obj.Get(nm.WIRELESS_DEVICE_IFACE, 'LastScan') + 1000))
    return False


def _late_point(device):
    '''An access point the manager publishes only after the stamp of the scan that found it.'''
    if not any(p.endswith('/late') for p in dbusmock.get_object(device).access_points):
        nm.AddAccessPoint(dbusmock.get_object(nm.MAIN_OBJ), device, 'late', 'Late-Arrival', '00:1C:F0:11:22:0F',
                          dbus.UInt32(2), dbus.UInt32(2412), dbus.UInt32(54000), dbus.Byte(60), dbus.UInt32(0))
    return False


def request_scan(self, _options):
    if STANDIN['scan'] == 'first':
        # The manager's first scan: LastScan goes from -1 to the time it starts, then to the time it ends; the
        # access points it found come in after that.
        _set(self.path, nm.WIRELESS_DEVICE_IFACE, 'LastScan', dbus.Int64(9000))
        GLib.timeout_add(300, _scan_done, self.path)
        GLib.timeout_add(500, _late_point, self.path)
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
    manager.AddMethod(nm.MANAGER_IFACE, 'ActivateConnection', 'ooo', 'o', activate)
    manager.AddMethod(nm.MANAGER_IFACE, 'DeactivateConnection', 'o', '', deactivate)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='sss', out_signature='s')
def AddStandinDevice(self, device_name, iface_name, permanent):
    '''A disconnected Wi-Fi device with what the library reads beyond the template's device. Its permanent
    address is `permanent`, or the template's when that is empty.'''
    path = nm.AddWiFiDevice(self, device_name, iface_name, 30)
    device = dbusmock.get_object(path)
    if permanent:
        device.Set(nm.WIRELESS_DEVICE_IFACE, 'PermHwAddress', permanent)
        device.Set(nm.WIRELESS_DEVICE_IFACE, 'HwAddress', permanent)
    device.AddProperties(nm.DEVICE_IFACE, {'Autoconnect': True, 'Ip4Config': dbus.ObjectPath('/')})
    device.props[nm.DEVICE_IFACE] = DeviceProperties(device.props[nm.DEVICE_IFACE])
    device.AddProperties(nm.WIRELESS_DEVICE_IFACE, {'ActiveAccessPoint': dbus.ObjectPath('/')})
    device.AddMethod(nm.DEVICE_IFACE, 'Disconnect', '', '', device_disconnect)
    device.AddProperties(nm.WIRELESS_DEVICE_IFACE, {'LastScan': dbus.Int64(5000)})
    device.AddMethod(nm.WIRELESS_DEVICE_IFACE, 'RequestScan', 'a{sv}', '', request_scan)
    return path


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='s', out_signature='')
def UnplugDevice(self, device):
    '''The card goes: its activation ends and the manager drops the device's object.'''
    _end_active(device)
    manager = dbusmock.get_object(nm.MANAGER_OBJ)
    left = [d for d in manager.Get(nm.MANAGER_IFACE, 'Devices') if str(d) != device]
    manager.Set(nm.MANAGER_IFACE, 'Devices', dbus.Array(left, signature='o'))
    manager.EmitSignal(nm.MANAGER_IFACE, 'DeviceRemoved', 'o', [dbus.ObjectPath(device)])
    self.RemoveObject(device)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='s', out_signature='')
def SetConnectOutcome(_self, outcome):
    '''How the next activations end: activate, fail (0.3 s after it started), slow (activated 0.3 s after it
    started, the device's earlier state kept until then) or stall.'''
    STANDIN['outcome'] = str(outcome)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='s', out_signature='')
def SetScanOutcome(_self, outcome):
    '''How the next scans end: finish (LastScan moves 0.2 s after the request), refuse (an error at once),
    stall (accepted, never done) or first (as the manager's very first scan, which stamps its start too).'''
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


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='ssss', out_signature='s')
def ConnectSaved(self, device, name, ssid, psk):
    '''The user's own saved WPA2 connection to the network `ssid` (IPv6 automatic, autoconnect on), active on
    the device as the manager would have made it. Returns the active connection.'''
    settings = dbus.Dictionary({
        'connection': dbus.Dictionary({'id': name, 'uuid': str(uuid.uuid5(uuid.NAMESPACE_URL, name)),
                                       'type': '802-11-wireless', 'autoconnect': True}, signature='sv'),
        '802-11-wireless': dbus.Dictionary({'ssid': dbus.ByteArray(ssid.encode()), 'mode': 'infrastructure'},
                                           signature='sv'),
        '802-11-wireless-security': dbus.Dictionary({'key-mgmt': 'wpa-psk', 'psk': psk}, signature='sv'),
        'ipv4': dbus.Dictionary({'method': 'auto'}, signature='sv'),
        'ipv6': dbus.Dictionary({'method': 'auto'}, signature='sv'),
    }, signature='sa{sv}')
    verify(settings)
    path = '/org/freedesktop/NetworkManager/Settings/' + name
    self.AddObject(path, nm.CSETTINGS_IFACE, {}, [])
    saved = dbusmock.get_object(path)
    saved.settings = settings
    saved.AddMethod(nm.CSETTINGS_IFACE, 'GetSettings', '', 'a{sa{sv}}', lambda obj: obj.settings)
    _remember(path)
    changes = dict(STANDIN['changes'])
    active = activate(dbusmock.get_object(nm.MANAGER_OBJ), path, device, '/')
    STANDIN['changes'] = changes  # the user's own doing, not the library's
    return active


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='a{su}')
def Changes(_self):
    '''How often connections were added, activated and deactivated, and devices disconnected.'''
    return dbus.Dictionary(STANDIN['changes'], signature='su')
