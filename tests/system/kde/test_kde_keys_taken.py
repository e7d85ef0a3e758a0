"""On a Plasma desktop where Spectacle holds Print and Shift+Print, the
portal still names those keys as bound; the program asks kglobalaccel and
says on standard error which keys it did not get."""

import subprocess
import threading

import kde
import xtest
from kde import check

app = subprocess.Popen([xtest.TESSARINE], stderr=subprocess.PIPE, text=True)
lines = []
threading.Thread(target=lambda: lines.extend(iter(app.stderr.readline, "")),
                 daemon=True).start()
expected = ("tessarine: hot keys Print, SHIFT+Print not bound: the desktop bound 1 of the 3 "
            "keys asked for\n")
check(kde.wait_for(lambda: expected in lines, timeout=30), "the unbound keys named: %r" % lines)
app.terminate()
app.wait(10)
kde.finish()
