'''A stand-in for UDisks2, loaded as a python-dbusmock template.

It knows the computer's own disk, mounted at /, and two USB sticks: the one the test ejects,
mounted at the parameter "stick_mount", and another mounted at the same path with a "2"
appended, which a careless comparison of mount points would take for it.

Parameters: stick_mount; can_power_off and ejectable, what the first stick's drive allows;
unmount_error, the D-Bus error its Unmount answers with ("" for none).
The calls of Unmount, PowerOff and Eject, as "OBJECT-PATH METHOD" in the order they came,
are answered by org.freedesktop.DBus.Mock.EjectionCalls.
'''

import dbus
from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
IS_OBJECT_MANAGER = True
SYSTEM_BUS = False

BLOCK = 'org.freedesktop.UDisks2.Block'
FILESYSTEM = 'org.freedesktop.UDisks2.Filesystem'
DRIVE = 'org.freedesktop.UDisks2.Drive'

calls = []


def recorded(method, error=''):
    def call(self, _options):
        calls.append(f'{self.path} {method}')
        if error:
            raise dbus.exceptions.DBusException('Error unmounting: target is busy', name=error)
    return call


def add_drive(mock, name, can_power_off, ejectable):
    path = f'{MAIN_OBJ}/drives/{name}'
    mock.AddObject(path, DRIVE,
                   {'CanPowerOff': dbus.Boolean(can_power_off),
                    'Ejectable': dbus.Boolean(ejectable)},
                   [('PowerOff', 'a{sv}', '', recorded('PowerOff')),
                    ('Eject', 'a{sv}', '', recorded('Eject'))])
    return path


def add_block(mock, name, drive, mount_points, unmount_error=''):
    path = f'{MAIN_OBJ}/block_devices/{name}'
    mock.AddObject(path, BLOCK,
                   {'Device': dbus.ByteArray(f'/dev/{name}\0'.encode()),
                    'Drive': dbus.ObjectPath(drive)}, [])
    if mount_points is not None:
        block = mockobject.objects[path]
        block.AddProperties(FILESYSTEM, {
            'MountPoints': dbus.Array([dbus.ByteArray(point.encode() + b'\0')
                                       for point in mount_points], signature='ay')})
        block.AddMethods(FILESYSTEM, [('Unmount', 'a{sv}', '',
                                       recorded('Unmount', unmount_error))])


def load(mock, parameters):
    calls.clear()
    stick_mount = parameters['stick_mount']
    internal = add_drive(mock, 'Internal_Disk', False, False)
    add_block(mock, 'sda', internal, None)
    add_block(mock, 'sda1', internal, ['/', '/home'])
    decoy = add_drive(mock, 'Other_Stick', True, True)
    add_block(mock, 'sdb1', decoy, [stick_mount + '2'])
    stick = add_drive(mock, 'Sound_Stick', parameters.get('can_power_off', True),
                      parameters.get('ejectable', True))
    add_block(mock, 'sdc', stick, None)
    add_block(mock, 'sdc1', stick, [stick_mount], parameters.get('unmount_error', ''))


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def EjectionCalls(_self):
    return calls
