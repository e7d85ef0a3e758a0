"""Plasma's portal only marks a closed session's shortcuts inactive: they
keep their keys from every other program, in kglobalshortcutsrc too, until
unregistered. The program gives its keys back when it ends, and at start
those a killed run left."""

import os

import dbus

import kde
import xtest
from kde import check

PRINT, SHIFT, CTRL, ALT = 0x01000009, 0x02000000, 0x04000000, 0x08000000
bus = dbus.SessionBus()
accel = dbus.Interface(bus.get_object("org.kde.kglobalaccel", "/kglobalaccel"),
                       "org.kde.KGlobalAccel")


def given(component, key):
    """Whether a new shortcut of `component` gets `key` (kept if so)."""
    shortcut = [component, "k%x" % key, component, "key"]
    accel.doRegister(shortcut)
    return list(accel.setShortcut(shortcut, [key], 4)) == [key]  # not marked as held


# What a killed run leaves: a shortcut of the program's that no program holds.
given("tessarine_keys", CTRL | PRINT)
app = xtest.Process([xtest.TESSARINE])
check(kde.shortcut_component("print"), "the program holds Print")
check(given("probe", CTRL | PRINT), "the start freed the key a killed run left")
app.stop()
for key in (PRINT, SHIFT | PRINT, CTRL | ALT | SHIFT | PRINT):
    check(given("probe", key), "another program gets key %x after the program ended" % key)
config = os.path.join(os.environ["HOME"], ".config", "kglobalshortcutsrc")
check(kde.wait_for(lambda: "[tessarine_keys]" not in open(config).read()),
      "the program's keys are not kept for the next login")
kde.finish()
