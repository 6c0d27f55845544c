"""Walks a product folder into the files a release lists.

Order is the manifest's: at every level the files of a folder (by name,
byte-wise) come before its sub-folders, so each folder's files are
consecutive and one DIR line serves them all.
"""

import dataclasses
import hashlib
import os
import stat

from manifest_format import ManifestError, check_path

CHUNK = 1 << 20


@dataclasses.dataclass
class ProductFile:
    path: str          # relative, "/"-separated
    source: str        # absolute path on this machine
    is_link: bool
    mode: int          # permission bits as installed (0o777 part)
    mtime: float
    size: int          # bytes installed (link: length of its target text)
    md5: str
    link_target: bytes = b""


def order_key(path):
    """Sort key giving the walk order for any set of paths."""
    parts = path.split("/")
    return [(1, os.fsencode(p)) for p in parts[:-1]] + [(0, os.fsencode(parts[-1]))]


def md5_of_file(source):
    digest = hashlib.md5()
    with open(source, "rb") as f:
        for chunk in iter(lambda: f.read(CHUNK), b""):
            digest.update(chunk)
    return digest.hexdigest()


def _check_link(path, target):
    if not target or target.startswith(b"/"):
        raise ManifestError("link %r has an empty or absolute target %r" % (path, target))
    depth = path.count("/")
    for part in target.split(b"/"):
        if part == b"..":
            depth -= 1
        elif part not in (b"", b"."):
            depth += 1
        if depth < 0:
            raise ManifestError("link %r points outside the product: %r" % (path, target))


def _entry(root, rel):
    source = os.path.join(root, rel)
    st = os.lstat(source)
    check_path(rel)
    if stat.S_ISLNK(st.st_mode):
        target = os.readlink(os.fsencode(source))
        _check_link(rel, target)
        return ProductFile(rel, source, True, 0o777, st.st_mtime, len(target),
                           hashlib.md5(target).hexdigest(), target)
    if not stat.S_ISREG(st.st_mode):
        raise ManifestError("%r is neither a file, a folder nor a link" % rel)
    # The installer refuses files their owner cannot write, so never ship one.
    mode = (st.st_mode & 0o777) | 0o600
    return ProductFile(rel, source, False, mode, st.st_mtime, st.st_size, md5_of_file(source))


def walk_product(root):
    """Every file and link under root, in manifest order."""
    if not os.path.isdir(root):
        raise ManifestError("product folder %r does not exist" % root)
    found = []
    for folder, dirs, files in os.walk(root, followlinks=False):
        rel_folder = os.path.relpath(folder, root)
        prefix = "" if rel_folder == "." else rel_folder.replace(os.sep, "/") + "/"
        # A link to a folder is shipped as a link, never followed.
        links = [d for d in dirs if os.path.islink(os.path.join(folder, d))]
        dirs[:] = sorted((d for d in dirs if d not in links), key=os.fsencode)
        for name in files + links:
            found.append(_entry(root, prefix + name))
    found.sort(key=lambda f: order_key(f.path))
    return found
