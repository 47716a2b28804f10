#!/usr/bin/env python3
"""Packs the release: dist/velmora-<version>-win32.zip.

    make_package.py BUILD_DIR DIST_DIR

The zip holds one folder, velmora-<version>-win32/, with Velmora.exe (the
release build: optimised, stripped, no test settings), README.txt (Chinese
and English, UTF-8 with a byte-order mark and CR LF line ends, so every
Notepad shows it), LICENSE.txt and SHA256SUMS. Entries carry the time of the
last commit, so the same sources give the same zip. Prints the zip's path,
size and SHA-256.
"""
import hashlib
import os
import subprocess
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def windows_text(text):
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def commit_time():
    try:
        stamp = int(subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True, text=True,
                                   check=True).stdout.strip())
    except (OSError, subprocess.CalledProcessError, ValueError):
        stamp = 1767225600  # 2026-01-01, outside a checkout
    return time.gmtime(max(stamp, 315532800))[:6]  # zip times start in 1980


def build_type(build):
    with open(os.path.join(build, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith("CMAKE_BUILD_TYPE:"):
                return line.split("=", 1)[1].strip()
    return ""


def main():
    build, dist = sys.argv[1], sys.argv[2]
    if build_type(build) not in ("Release", "RelWithDebInfo"):
        sys.exit("make_package: %s is a %r build; a release is made from an optimised one" % (build, build_type(build)))
    with open(os.path.join(build, "version.txt")) as f:
        version = f.read().strip()
    with open(os.path.join(build, "bin", "Velmora.exe"), "rb") as f:
        program = f.read()
    with open(os.path.join(ROOT, "tools", "release", "README.txt"), encoding="utf-8") as f:
        readme = windows_text(f.read().replace("@VERSION@", version))
    with open(os.path.join(ROOT, "LICENSE"), encoding="utf-8") as f:
        license_text = windows_text(f.read())
    files = [("Velmora.exe", program), ("README.txt", readme), ("LICENSE.txt", license_text)]
    sums = "".join("%s *%s\r\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))

    folder = "velmora-%s-win32" % version
    os.makedirs(dist, exist_ok=True)
    path = os.path.join(dist, folder + ".zip")
    when = commit_time()
    with zipfile.ZipFile(path + ".tmp", "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in files:
            entry = zipfile.ZipInfo("%s/%s" % (folder, name), date_time=when)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data, compresslevel=9)
    os.replace(path + ".tmp", path)
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    print("package: %s" % os.path.abspath(path))
    print("size:    %d bytes" % os.path.getsize(path))
    print("sha256:  %s" % digest)
    print("inside:  %s/ %s" % (folder, ", ".join(name for name, _ in files)))


if __name__ == "__main__":
    main()
