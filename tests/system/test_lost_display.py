"""The X server goes away under the running program (it is killed, as a
crash or a lost network would end it): the program ends within a few
seconds with a clear message on stderr and a non-zero exit status, by
exiting, not by a signal, and leaves no core file.

Runs on an X server of its own, not the one with_x.sh made for the other
tests, since it kills it."""

import os
import resource
import shutil
import signal
import subprocess
import tempfile
import time

import xtest
from xtest import check

MESSAGE = "tessarine: the connection to the X display was lost"


def start_server(work):
    """A private Xvfb; returns (process, display name)."""
    display_file = os.path.join(work, "display")
    with open(display_file, "w") as out:
        server = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0",
                                   "800x600x24", "-nolisten", "tcp"], pass_fds=(out.fileno(),),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    name = xtest.wait_for(lambda: open(display_file).read().strip(), timeout=10)
    if not name:
        server.kill()
        raise RuntimeError("the private Xvfb did not start")
    return server, ":" + name


def allow_core_files():
    resource.setrlimit(resource.RLIMIT_CORE, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))


def run_case(label, kill_signal, during_capture):
    work = tempfile.mkdtemp(prefix="tess-lost-")
    server, display = start_server(work)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen([xtest.TESSARINE], cwd=work, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, preexec_fn=allow_core_files)
    try:
        up = xtest.wait_for(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^Tessarine$"], env=env,
            capture_output=True).stdout.strip(), timeout=20)
        if not check(up, "%s: the main window comes up on the private display" % label):
            return
        time.sleep(0.5)  # the program idle, whatever it still had to do at start
        if during_capture:
            # Print Screen hides the window and reads the screen: the server
            # dies while that is under way.
            subprocess.run(["xdotool", "key", "Print"], env=env, capture_output=True)
            time.sleep(0.05)
        server.send_signal(kill_signal)
        killed_at = time.time()
        try:
            status = program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            check(False, "%s: the program ends after losing its display (it hangs)" % label)
            return
        took = time.time() - killed_at
        stderr = program.stderr.read().decode(errors="replace")
        print("%s: exit status %d after %.2f s; stderr: %r" % (label, status, took, stderr))
        check(status > 0, "%s: a non-zero exit status, not a signal: %d" % (label, status))
        check(took < 5, "%s: ends at once (%.1f s)" % (label, took))
        check(MESSAGE in stderr, "%s: the message says the display was lost" % label)
        cores = [f for f in os.listdir(work) if f.startswith("core")]
        check(not cores, "%s: no core file: %r" % (label, cores))
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()
        if server.poll() is None:
            server.kill()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


run_case("idle, server killed", signal.SIGKILL, during_capture=False)
run_case("idle, server terminated", signal.SIGTERM, during_capture=False)
run_case("during a capture", signal.SIGKILL, during_capture=True)
xtest.finish()
