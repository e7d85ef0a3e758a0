"""A session bus that takes the connection and never answers is said in
one line within seconds: --hot-key ends, the window program runs without
it and ends on SIGTERM. A second window program queues for the hot-key
name, says so, and takes the presses once the first closes."""

import os
import socket
import subprocess
import tempfile
import time

import xtest
from xtest import check

work = tempfile.mkdtemp()
silent = socket.socket(socket.AF_UNIX)
silent.bind(os.path.join(work, "silent"))
silent.listen(64)  # connections wait in the backlog, never answered
stopped = dict(os.environ, DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(work, "silent"))


def hand_over(env):
    started = time.monotonic()
    try:
        done = xtest.run(xtest.TESSARINE, "--hot-key", "print", env=env, check_status=False,
                         timeout=20)
    except subprocess.TimeoutExpired:
        return None, "", time.monotonic() - started
    return done.returncode, done.stderr, time.monotonic() - started


status, err, took = hand_over(stopped)
check(status == 1 and "the session bus gave no answer within 5 s" in err and took < 10,
      "--hot-key on a silent bus: %r %r after %.1f s" % (status, err, took))

app = xtest.App(env=stopped)
app.proc.terminate()
check(xtest.wait_for(lambda: app.proc.poll() is not None, timeout=20),
      "the window program on a silent bus ends on SIGTERM")
err = app.proc.stderr.read().decode(errors="replace")
check("tessarine: the session bus gave no answer within 5 s; running without it" in err,
      "the window program says it runs without the bus: %r" % err)
app.stop()

with open(os.path.join(work, "bus.conf"), "w") as f:
    f.write("<busconfig><type>session</type><listen>unix:dir=%s</listen><auth>EXTERNAL</auth>"
            "<policy context='default'><allow send_destination='*' eavesdrop='true'/>"
            "<allow eavesdrop='true'/><allow own='*'/></policy>"
            "</busconfig>" % work)
bus = subprocess.Popen(["dbus-daemon", "--nofork", "--print-address", "--config-file",
                        os.path.join(work, "bus.conf")], stdout=subprocess.PIPE, text=True,
                       stderr=subprocess.DEVNULL)
env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip())
first = xtest.App(env=env)
second = xtest.Process([xtest.TESSARINE], env=env)
check(xtest.wait_for(lambda: xtest.find_windows_of(second.proc.pid)), "a second window starts")
first.key("alt+F4")
check(xtest.wait_for(lambda: first.proc.poll() is not None), "the first window closes")
check(xtest.wait_for(lambda: hand_over(env)[0] == 0),
      "the second window takes tessarine --hot-key once the first closes")
second.stop()
err = second.proc.stderr.read().decode(errors="replace")
check("another Tessarine window takes tessarine --hot-key" in err,
      "the second window says the first takes the presses: %r" % err)
first.stop()
bus.kill()
xtest.finish()
