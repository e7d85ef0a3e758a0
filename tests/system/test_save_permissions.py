"""tessarine --capture, run as nobody (root would bypass the permissions),
honours the file system's protections as a plain open() would: a refused
save exits 1 with the system's reason and leaves every file byte for byte,
with no temporary file; a dangling link gets the file it points to."""

import os
import shutil
import subprocess
import tempfile

import xtest
from xtest import check

NOBODY, OTHER = 65534, 1  # OTHER (daemon) owns what nobody may not touch
root = tempfile.mkdtemp(prefix="tess-perm-")
os.chmod(root, 0o755)


def make(path, uid=NOBODY, mode=0o644, folder=False):
    os.mkdir(path) if folder else open(path, "wb").write(b"the picture as it was\n")
    os.chown(path, uid, uid)
    os.chmod(path, mode)
    return path


def file_in(name, uid, mode, folder_uid=NOBODY, folder_mode=0o755):
    return make(os.path.join(make(os.path.join(root, name), folder_uid, folder_mode, True),
                             "keep.bmp"), uid, mode)


def link_in(name, to, owner=NOBODY, folder_uid=NOBODY, folder_mode=0o755):
    link = os.path.join(make(os.path.join(root, name), folder_uid, folder_mode, True), "shot.bmp")
    os.symlink(to, link)
    os.lchown(link, owner, owner)
    return link


def hard_linked():
    path = file_in("linked", NOBODY, 0o644)
    os.link(path, path + ".other")
    return path


with open("/proc/sys/fs/protected_symlinks") as f:
    links_protected = f.read().strip() == "1"
if not links_protected:
    print("note: fs.protected_symlinks is off here: the kernel follows the planted link, "
          "and so does the save")
with open("/proc/sys/fs/protected_regular") as f:
    regular_protected = f.read().strip() != "0"

# (label, setup giving the path to save to, reason expected, or None: saved)
CASES = [
    ("a write-protected file", lambda: file_in("ro", NOBODY, 0o444), "Permission denied"),
    ("another user's file in a folder open to all", lambda: file_in("open", 0, 0o644, 0, 0o777),
     "Permission denied"),
    ("a link another user planted in a sticky folder",
     lambda: link_in("shared", file_in("victim", NOBODY, 0o644), OTHER, 0, 0o1777),
     "Permission denied" if links_protected else None),
    ("a writable file in a folder that takes no new files",
     lambda: file_in("fixed", NOBODY, 0o644, 0), "no new file can be made"),
    ("another user's writable file in a sticky folder",
     lambda: file_in("sticky", OTHER, 0o666, 0, 0o1777),
     "fs.protected_regular" if regular_protected else "belongs to another user"),
    ("a file with two names", hard_linked, "hard links"),
    ("a dangling link", lambda: link_in("dangling", "made.bmp"), None),
]


def snapshot():
    """Every entry under root: its contents and owner, or a link's text."""
    return {p: os.readlink(p) if os.path.islink(p) else (open(p, "rb").read(), os.stat(p).st_uid)
            for p in (os.path.join(w, n) for w, _, names in os.walk(root) for n in names)}


for label, setup, reason in CASES:
    target = setup()
    before = snapshot()
    result = subprocess.run(["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY,
                             "--clear-groups", xtest.TESSARINE, "--capture", "--geometry",
                             "8x8+0+0", target], capture_output=True, text=True, timeout=30)
    after = snapshot()
    real = os.path.realpath(target)
    if reason:
        prefix = "tessarine: cannot save the picture to \"%s\": " % target
        check(result.returncode == 1 and result.stderr.startswith(prefix)
              and reason in result.stderr, "%s: refused with %r: status %d, %r"
              % (label, reason, result.returncode, result.stderr))
        check(after == before, "%s: every file as it was, no temporary file: %r"
              % (label, sorted(set(after) ^ set(before))))
    else:
        check(result.returncode == 0 and os.path.islink(target)
              and xtest.read_image(real).width == 8,
              "%s: the link stays and its file holds the picture: %r" % (label, result.stderr))
        check(set(after) - set(before) <= {real}, "%s: no temporary file: %r"
              % (label, sorted(set(after) - set(before))))

shutil.rmtree(root)
xtest.finish()
