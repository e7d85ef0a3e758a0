"""tessarine --capture, run as an unprivileged user (nobody), honours the file
system's protections as a plain open() would: each refused save exits 1
with the system's reason, leaves the old file byte for byte and no
temporary file; a dangling link gets the file it points to. Root would
bypass the permissions, so the files are set up as root and the program
runs as nobody."""

import os
import shutil
import subprocess
import tempfile

import xtest
from xtest import check

NOBODY, OTHER = 65534, 1  # OTHER (daemon) owns what nobody may not touch
OLD = b"the picture as it was\n"
root = tempfile.mkdtemp(prefix="tess-perm-")
os.chmod(root, 0o755)


def folder(name, uid=NOBODY, mode=0o755):
    path = os.path.join(root, name)
    os.mkdir(path)
    os.chown(path, uid, uid)
    os.chmod(path, mode)
    return path


def put(path, uid=NOBODY, mode=0o644):
    with open(path, "wb") as f:
        f.write(OLD)
    os.chown(path, uid, uid)
    os.chmod(path, mode)
    return path


def protected_file(name, uid, mode, folder_uid=NOBODY, folder_mode=0o755):
    return put(os.path.join(folder(name, folder_uid, folder_mode), "keep.bmp"), uid, mode)


def planted_link():
    """A link another user planted in a shared sticky folder, leading to
    nobody's own file: the kernel refuses to follow it when
    fs.protected_symlinks is on."""
    victim = put(os.path.join(folder("victim"), "victim.bmp"))
    link = os.path.join(folder("shared", 0, 0o1777), "shot.bmp")
    os.symlink(victim, link)
    os.lchown(link, OTHER, OTHER)
    return link


def hard_linked():
    first = protected_file("linked", NOBODY, 0o644)
    os.link(first, first + ".other")
    return first


def dangling():
    link = os.path.join(folder("dangling"), "shot.bmp")
    os.symlink("made.bmp", link)
    return link


with open("/proc/sys/fs/protected_symlinks") as f:
    links_protected = f.read().strip() == "1"
if not links_protected:
    print("note: fs.protected_symlinks is off here; the kernel follows the planted link, "
          "and so must the save")

# (label, setup returning the path to save to, reason expected or None for a
# save that succeeds)
CASES = [
    ("a write-protected file", lambda: protected_file("ro", NOBODY, 0o444), "Permission denied"),
    ("another user's file in a folder open to all",
     lambda: protected_file("open", 0, 0o644, 0, 0o777), "Permission denied"),
    ("a link planted in a sticky folder", planted_link,
     "Permission denied" if links_protected else None),
    ("a writable file in a folder that takes no new files",
     lambda: protected_file("fixed", NOBODY, 0o644, 0), "no new file can be made"),
    ("another user's writable file in a sticky folder",
     lambda: protected_file("sticky", OTHER, 0o666, 0, 0o1777), "Operation not permitted"),
    ("a file with two names", hard_linked, "hard links"),
    ("a dangling link", dangling, None),
]


def snapshot():
    """Every entry under root with its contents (links as their text)."""
    state = {}
    for where, _, names in os.walk(root):
        for name in names:
            path = os.path.join(where, name)
            if os.path.islink(path):
                state[path] = "-> " + os.readlink(path)
            else:
                with open(path, "rb") as f:
                    state[path] = (f.read(), os.stat(path).st_uid)
    return state


for label, setup, reason in CASES:
    target = setup()
    before = snapshot()
    result = subprocess.run(["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY,
                             "--clear-groups", xtest.TESSARINE, "--capture", "--geometry",
                             "8x8+0+0", target], capture_output=True, text=True, timeout=30)
    after = snapshot()
    if reason:
        check(result.returncode == 1 and reason in result.stderr
              and result.stderr.startswith("tessarine: Could not save the picture to \"%s\": "
                                           % target),
              "%s: refused with %r: status %d, %r" % (label, reason, result.returncode,
                                                       result.stderr))
        check(after == before, "%s: every file is as it was, no temporary file: %r"
              % (label, sorted(set(after) ^ set(before))))
    else:
        check(result.returncode == 0, "%s: saved: %r" % (label, result.stderr))
        real = os.path.realpath(target)
        check(os.path.islink(target) and xtest.read_image(real).width == 8,
              "%s: the link stays and the file it points to holds the picture" % label)
        check(set(after) - set(before) <= {real}, "%s: no temporary file: %r"
              % (label, sorted(set(after) - set(before))))

shutil.rmtree(root)
xtest.finish()
