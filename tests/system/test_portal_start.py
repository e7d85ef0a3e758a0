"""--capture in a Wayland session whose portal (the mock, on a private bus
that starts it) takes 11 s to start, as xdg-desktop-portal does while a
backend of another desktop holds it: the capture waits for the start, says
so in one line, and succeeds. A portal that runs and stays silent still
fails at the ten-second bound, without that line."""

import os
import subprocess
import tempfile
import time

import xtest
from xtest import check

work = tempfile.mkdtemp()
os.mkdir(os.path.join(work, "services"))
plan, stdin = os.path.join(work, "plan"), os.path.join(work, "stdin")
os.mkfifo(stdin)
stdin_open = os.open(stdin, os.O_RDWR)  # the mock ends at its end of input
with open(os.path.join(work, "slow_portal"), "w") as f:
    # The slow start being modelled, not a wait of the test's.
    f.write("#!/bin/sh\nsleep 11\nMOCK_SCREENSHOT_PLAN=%s exec %s <%s >/dev/null\n"
            % (plan, os.environ["MOCK_PORTAL_BIN"], stdin))
os.chmod(os.path.join(work, "slow_portal"), 0o755)
with open(os.path.join(work, "services/portal.service"), "w") as f:
    f.write("[D-BUS Service]\nName=org.freedesktop.portal.Desktop\nExec=%s/slow_portal\n" % work)
with open(os.path.join(work, "bus.conf"), "w") as f:
    f.write("<busconfig><type>session</type><listen>unix:dir=%s</listen><auth>EXTERNAL</auth>"
            "<servicedir>%s/services</servicedir><policy context='default'>"
            "<allow send_destination='*' eavesdrop='true'/><allow eavesdrop='true'/>"
            "<allow own='*'/></policy></busconfig>" % (work, work))
bus = subprocess.Popen(["dbus-daemon", "--nofork", "--print-address", "--config-file",
                        os.path.join(work, "bus.conf")], stdout=subprocess.PIPE, text=True,
                       stderr=subprocess.DEVNULL)
env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip(),
           TESSARINE_SESSION="wayland")
for name in ("SWAYSOCK", "WAYLAND_DISPLAY"):
    env.pop(name, None)
shot, good = os.path.join(work, "shot.png"), os.path.join(work, "good.png")
subprocess.run(["convert", "-size", "8x8", "xc:#4080c0", good], check=True)


def run(uri):
    with open(plan, "w") as f:
        f.write(uri + "\n" + good)
    out = os.path.join(work, "out.bmp")
    start = time.monotonic()
    r = subprocess.run([xtest.TESSARINE, "--capture", out], env=env, capture_output=True,
                       text=True, timeout=60)
    wrote = os.path.exists(out) and not os.remove(out)
    return r.returncode, r.stderr, time.monotonic() - start, wrote


status, err, took, wrote = run("file://" + shot)
check(status == 0 and wrote and took > 11 and err.count("\n") == 1 and
      "the desktop portal is starting (Tessarine waits up to 45 seconds)" in err,
      "a slow start is waited for and said: %r %r after %.1f s" % (status, err, took))
status, err, took, wrote = run("silent")
check(status == 1 and not wrote and took < 12 and err.count("\n") == 1 and
      "gave no answer to the request to take a screenshot in time" in err,
      "a running portal that stays silent: %r %r after %.1f s" % (status, err, took))

os.close(stdin_open)
bus.kill()
xtest.finish()
