"""--capture in a Wayland session against a portal (the mock, on a private
bus) whose answers name what is no fresh screenshot of ours: each is refused
in bounded time with one line, and the file it names is left as it was. A
sway socket that never answers and a missing session bus end in a reason,
and no bus is started in place of the missing one. A portal the bus takes
11 s to start (the mock again) is waited for and said; once it runs, its
silence fails at the ten-second bound."""

import os
import stat
import socket
import struct
import subprocess
import tempfile
import time
import zlib

import xtest
from xtest import check

work = tempfile.mkdtemp()
home = os.path.join(work, "home")
os.makedirs(os.path.join(home, "sub"))
os.mkdir(os.path.join(home, "empty"))
os.mkfifo(os.path.join(home, "fifo"))
with open(os.path.join(work, "bus.conf"), "w") as f:
    f.write("<busconfig><type>session</type><listen>unix:dir=%s</listen><auth>EXTERNAL</auth>"
            "<servicedir>%s</servicedir>"
            "<policy context='default'><allow send_destination='*' eavesdrop='true'/>"
            "<allow eavesdrop='true'/><allow own='*'/></policy>"
            "</busconfig>" % (work, work))
bus = subprocess.Popen(["dbus-daemon", "--nofork", "--print-address", "--config-file",
                        os.path.join(work, "bus.conf")], stdout=subprocess.PIPE, text=True,
                       stderr=subprocess.DEVNULL)
plan = os.path.join(work, "plan")
env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip(),
           MOCK_SCREENSHOT_PLAN=plan, TESSARINE_SESSION="wayland")
for name in ("SWAYSOCK", "WAYLAND_DISPLAY"):
    env.pop(name, None)
portal = subprocess.Popen([os.environ["MOCK_PORTAL_BIN"]], env=env, stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE)
portal.stdout.readline()


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, pixels, depth=8, colour=2):
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth,
                                                               colour, 0, 0, 0)) +
            chunk(b"IDAT", pixels) + chunk(b"IEND", b""))


def keep(name, data):
    path = os.path.join(work, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


small = png(8, 8, zlib.compress(b"".join(b"\0" + b"\x40\x80\xc0" * 8 for _ in range(8))))
squeeze = zlib.compressobj(9)
bomb = png(16384, 16384, b"".join(squeeze.compress(b"\0" * 2049 * 1024) for _ in range(16)) +
           squeeze.flush(), depth=1, colour=0)
thesis = keep("home/thesis.txt", b"four years of work")
kept = keep("home/kept.png", small)
shot = os.path.join(home, "shot.png")
# A device node of our own where we may make one: a failing run must not
# cost the machine its /dev/null (which, as root, it could delete).
device = os.path.join(home, "null")
try:
    os.mknod(device, 0o666 | stat.S_IFCHR, os.makedev(1, 3))
except OSError:
    device = "/dev/null"
time.sleep(1)  # what the user had is clearly older than any request


def fingerprint(path):
    status = os.lstat(path)
    content = open(path, "rb").read() if os.path.isfile(path) else None
    return status.st_mode, status.st_ino, status.st_mtime_ns, content


def run(uri, source=None, *args, extra=None):
    with open(plan, "w") as f:
        f.write(uri + "\n" + (source or ""))
    out = os.path.join(work, "out.bmp")
    start = time.monotonic()
    try:
        r = subprocess.run([xtest.TESSARINE, "--capture", *args, out], env=extra or env,
                           cwd=home, capture_output=True, text=True, timeout=30)
        status, err = r.returncode, r.stderr
    except subprocess.TimeoutExpired:
        status, err = None, "no end within 30 s"
    return status, err, time.monotonic() - start, os.path.exists(out) and not os.remove(out)


for label, uri, named, source in [
        ("a user's document", "file://" + thesis, thesis, None),
        ("a PNG made before the request", "file://" + kept, kept, None),
        ("an empty folder", "file://" + home + "/empty", home + "/empty", None),
        ("a device", "file://" + device, device, None),
        ("a FIFO", "file://" + home + "/fifo", home + "/fifo", None),
        ("'..'", "file://" + home + "/sub/../thesis.txt", thesis, None),
        ("'%2e%2e'", "file://" + home + "/sub/%2e%2e/thesis.txt", thesis, None),
        ("'%2F'", "file://" + work + "/home%2Fthesis.txt", thesis, None),
        ("a relative uri", "file:thesis.txt", thesis, None),
        ("a 16384 x 16384 PNG", "file://" + shot, shot, keep("bomb.png", bomb)),
        ("a 16384 x 16384 header and 100 bytes", "file://" + shot, shot,
         keep("head.png", png(16384, 16384, os.urandom(100)))),
        ("a file far larger than its PNG", "file://" + shot, shot,
         keep("fat.png", small + bytes(8 << 20)))]:
    before = fingerprint(named) if source is None else None
    status, err, took, wrote = run(uri, source)
    check(status == 1 and err.count("\n") == 1 and "refused" in err and took < 12 and not wrote,
          "%s: refused in one line within 12 s, nothing written: %r %r after %.1f s"
          % (label, status, err, took))
    check(os.path.lexists(named) and (before is None or fingerprint(named) == before),
          "%s: %s is left as it was" % (label, named))

status, err, took, wrote = run("file://" + shot, keep("good.png", small))
check(status == 0 and wrote and not os.path.exists(shot),
      "a fresh screenshot is taken and deleted: %r %r" % (status, err))

sway = socket.socket(socket.AF_UNIX)
sway.bind(os.path.join(work, "sway.sock"))
sway.listen(8)
status, err, took, wrote = run("file://" + shot, keep("good.png", small), "--active",
                               extra=dict(env, SWAYSOCK=os.path.join(work, "sway.sock")))
check(status == 1 and "sway gave no answer" in err and took < 5,
      "a sway that never answers is waited for once: %r %r after %.1f s" % (status, err, took))

os.mkdir(os.path.join(work, "runtime"), 0o700)
marker = "tess-no-bus-%d" % os.getpid()
bare = dict(env, XDG_RUNTIME_DIR=os.path.join(work, "runtime"), TESS_MARKER=marker)
del bare["DBUS_SESSION_BUS_ADDRESS"]
status, err, took, wrote = run("file://" + shot, keep("good.png", small), extra=bare)
check(status == 1 and err.count("\n") == 1 and "there is no session bus" in err,
      "no session bus: said plainly: %r %r" % (status, err))
started = []
for pid in filter(str.isdigit, os.listdir("/proc")):
    try:
        if marker.encode() in open("/proc/%s/environ" % pid, "rb").read():
            started.append(pid)
            os.kill(int(pid), 15)
    except OSError:
        pass
check(started == [], "no session bus: nothing started that outlives the program: %r" % started)

# The slow start being modelled is the script's sleep, not a wait of ours.
os.mkfifo(os.path.join(work, "stdin"))
stdin = os.open(os.path.join(work, "stdin"), os.O_RDWR)  # the mock's input, open till the end
keep("slow_portal", b"#!/bin/sh\nsleep 11\nMOCK_SCREENSHOT_PLAN=%s exec %s <%s/stdin\n"
     % (plan.encode(), os.environ["MOCK_PORTAL_BIN"].encode(), work.encode()))
os.chmod(os.path.join(work, "slow_portal"), 0o755)
keep("portal.service", b"[D-BUS Service]\nName=%s\nExec=%s/slow_portal\n"
     % (b"org.freedesktop.portal.Desktop", work.encode()))
portal.kill()
check(xtest.wait_for(lambda: "false" in xtest.run(
    "gdbus", "call", "--session", "-d", "org.freedesktop.DBus", "-o", "/org/freedesktop/DBus",
    "-m", "org.freedesktop.DBus.NameHasOwner", "org.freedesktop.portal.Desktop",
    env=env).stdout), "the mock has left the portal's name")
status, err, took, wrote = run("file://" + shot, keep("good.png", small))
check(status == 0 and wrote and took > 11 and err.count("\n") == 1 and
      "the desktop portal is starting (Tessarine waits up to 45 seconds)" in err,
      "a slow start is waited for and said: %r %r after %.1f s" % (status, err, took))
status, err, took, wrote = run("silent")
check(status == 1 and took < 12 and err.count("\n") == 1 and
      "gave no answer to the request to take a screenshot in time" in err,
      "a running portal that stays silent: %r %r after %.1f s" % (status, err, took))
os.close(stdin)
bus.kill()
xtest.finish()
