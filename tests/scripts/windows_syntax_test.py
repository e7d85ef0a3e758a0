#!/usr/bin/env python3
"""Fails unless every source of the program's window and capture code, and
what the control classes do whatever the toolkit, compiles for Windows
(syntax only, with the mingw-w64 cross compiler), so that nothing
Linux-only creeps into it.

Files named *_posix.cpp are POSIX by nature and stay out.

A file whose preprocessed text passed before (as remembered in CACHE_FILE)
is not checked again: preprocessing takes a tenth of the time of a syntax
check.

    windows_syntax_test.py COMPILER SRC_DIR [CACHE_FILE]
"""
import concurrent.futures
import hashlib
import json
import os
import shutil
import subprocess
import sys

FOLDERS = ("capture", "ui", "output", "program")
# Without their subfolders: the toolkit's side of the controls is its own.
SHALLOW_FOLDERS = ("platform/controls",)


def compiles(compiler, src, path, passed):
    """Whether path compiles, the compiler's errors, and the key it passed by."""
    command = [compiler, "-std=c++20", "-I" + src, os.path.join(src, path)]
    expanded = subprocess.run(command + ["-E"], capture_output=True)
    if expanded.returncode != 0:
        return False, expanded.stderr.decode(errors="replace"), None
    key = hashlib.sha256(expanded.stdout).hexdigest()
    if key in passed:
        return True, "", key
    run = subprocess.run(command + ["-fsyntax-only"], capture_output=True, text=True)
    return run.returncode == 0, run.stderr, key if run.returncode == 0 else None


def main():
    compiler, src = sys.argv[1], sys.argv[2]
    if not shutil.which(compiler):
        print("%s not found: install Debian's g++-mingw-w64-x86-64-posix "
              "(test.sh does)" % compiler, file=sys.stderr)
        return 1
    paths = sorted(os.path.relpath(os.path.join(folder, name), src).replace(os.sep, "/")
                   for top in FOLDERS
                   for folder, _, files in os.walk(os.path.join(src, top))
                   for name in files
                   if name.endswith(".cpp") and not name.endswith("_posix.cpp"))
    paths += sorted(top + "/" + name for top in SHALLOW_FOLDERS
                    for name in os.listdir(os.path.join(src, top)) if name.endswith(".cpp"))
    cache = sys.argv[3] if len(sys.argv) > 3 else None
    version = subprocess.run([compiler, "--version"], capture_output=True, text=True).stdout
    passed = set()
    if cache and os.path.exists(cache):
        with open(cache, encoding="utf-8") as f:
            known = json.load(f)
        if known.get("compiler") == version:
            passed = set(known["passed"])
    faults = []
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        results = list(pool.map(lambda p: compiles(compiler, src, p, passed), paths))
    for path, (ok, errors, _) in zip(paths, results):
        if not ok:
            faults.append("%s does not compile for Windows:\n%s" % (path, errors))
    if cache:
        with open(cache, "w", encoding="utf-8") as f:
            json.dump({"compiler": version, "passed": [key for _, _, key in results if key]}, f)
    for fault in faults:
        print(fault, file=sys.stderr)
    print("%d files checked" % len(paths))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
