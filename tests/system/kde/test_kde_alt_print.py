"""Ctrl+Alt+Shift+Print pressed on the keyboard reaches the program: with
Alt held the Print key sends Sys_Req, Alt used up, and KWin asks
kglobalaccel for Ctrl+Shift+SysReq."""

import kde
import xtest
from kde import check

LEFTCTRL, LEFTALT, LEFTSHIFT, PRINT_KEY = 29, 56, 42, 99  # evdev codes
app = xtest.Process([xtest.TESSARINE])
check(kde.shortcut_component("ctrl-alt-shift-print"), "the program holds Ctrl+Alt+Shift+Print")


def pressed():
    kde.press_keys(LEFTCTRL, LEFTALT, LEFTSHIFT, PRINT_KEY)
    return kde.wait_for(lambda: xtest.find_windows("^Form4$"), timeout=5)


# Pressed again if nothing happens: kglobalaccel holds the shortcut from
# the moment the session opens, a little before the program listens.
check(kde.wait_for(pressed, timeout=20, interval=0), "the press opens the Form4 window")
app.stop()
kde.finish()
