"""Shared helpers of the release tool tests: building small trees, strict
manifest line patterns, and an independent reading of what a release holds."""

import hashlib
import os
import re
import struct
import sys

TOOLS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, TOOLS)

# The exact shapes of the manifest's lines, written out independently of the writer.
FILE_LINE = re.compile(
    r"^FILE (\d+) (\d+) (\d+) (\d+) (\d+) (\d+) (\d+\.\d{3}) (\d+\.\d{3}) "
    r"([0-9a-f]{32}|GONE) (\S.*)$")
DIR_LINE = re.compile(r"^DIR (\S.*/[ \t]*)$")


class Link(str):
    """A tree entry that is a symbolic link to this target."""


def make_tree(root, layout, base_time=1700000000):
    """layout: {path: bytes | (bytes, mode) | Link(target)}; fixed even mtimes."""
    for n, (path, value) in enumerate(sorted(layout.items())):
        target = os.path.join(root, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        when = base_time + 2 * n
        if isinstance(value, Link):
            os.symlink(str(value), target)
            os.utime(target, (when, when), follow_symlinks=False)
            continue
        data, mode = value if isinstance(value, tuple) else (value, 0o644)
        with open(target, "wb") as f:
            f.write(data)
        os.chmod(target, mode)
        os.utime(target, (when, when))


def tree_digest(root, meta=True):
    """{relative path: (is link, content digest[, mode, mtime])} of a whole tree."""
    out = {}
    for folder, _, files in os.walk(root):
        for name in files + [d for d in os.listdir(folder)
                             if os.path.islink(os.path.join(folder, d))
                             and os.path.isdir(os.path.join(folder, d))]:
            path = os.path.join(folder, name)
            st = os.lstat(path)
            if os.path.islink(path):
                content = os.readlink(path).encode()
            else:
                with open(path, "rb") as f:
                    content = f.read()
            entry = (os.path.islink(path), hashlib.md5(content).hexdigest())
            out[os.path.relpath(path, root)] = entry + ((st.st_mode, int(st.st_mtime)) if meta else ())
    return out


def local_md5(path):
    """The checksum the installer's scan computes for a local file or link."""
    if os.path.islink(path):
        return hashlib.md5(os.readlink(os.fsencode(path))).hexdigest()
    with open(path, "rb") as f:
        return hashlib.md5(f.read()).hexdigest()


def single(text):
    return struct.unpack("<f", struct.pack("<f", float(text)))[0]


def manifest_lines(data):
    """The lines after the header, which the tests expect to be exactly
    b"I\\n1100 version\\nINSTALLER\\n\\n"."""
    return data.decode("utf-8").split("\n")[4:]
