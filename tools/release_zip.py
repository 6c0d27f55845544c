"""Deterministic zip archives as the installer's decompressor reads them.

Entries are named by the file's last path component; the high 16 bits of
the external attributes carry the Unix mode (links: 0o120777, the target
text as data); the entry date is the file's modification time in local
time, which is how the installer sets it back.
"""

import os
import stat
import time
import zipfile
import zlib

from product_tree import CHUNK

LEVEL = 6
PROBE = 256 * 1024


def zip_date(mtime):
    year, month, day, hour, minute, second = time.localtime(mtime)[:6]
    if year < 1980:
        return (1980, 1, 1, 0, 0, 0)
    if year > 2107:
        return (2107, 12, 31, 23, 59, 58)
    return (year, month, day, hour, minute, second)


def _compresses(source):
    """Deflate unless a probe of the start shows the data does not shrink."""
    with open(source, "rb") as f:
        head = f.read(PROBE)
    return not head or len(zlib.compress(head, LEVEL)) < len(head) * 0.97


def _info(name, mode, mtime, size):
    info = zipfile.ZipInfo(name, zip_date(mtime))
    info.create_system = 3
    info.external_attr = mode << 16
    info.file_size = size
    return info


def add_file(archive, item, name):
    """Adds a ProductFile (see product_tree) as entry `name`."""
    if item.is_link:
        info = _info(name, stat.S_IFLNK | 0o777, item.mtime, item.size)
        info.compress_type = zipfile.ZIP_STORED
        archive.writestr(info, item.link_target)
        return
    info = _info(name, stat.S_IFREG | item.mode, item.mtime, item.size)
    info.compress_type = zipfile.ZIP_DEFLATED if _compresses(item.source) else zipfile.ZIP_STORED
    with open(item.source, "rb") as src, archive.open(info, "w") as dst:
        for chunk in iter(lambda: src.read(CHUNK), b""):
            dst.write(chunk)


def add_bytes(archive, name, data, mtime, mode=0o644):
    info = _info(name, stat.S_IFREG | mode, mtime, len(data))
    info.compress_type = zipfile.ZIP_DEFLATED
    archive.writestr(info, data)


def open_archive(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=LEVEL)


def entry_shares(path):
    """Bytes of the archive at path owed to each entry, summing to its size.

    Each entry owns its local header and data and its central record; the
    end record goes to the first entry."""
    total = os.path.getsize(path)
    with zipfile.ZipFile(path) as archive:
        infos = archive.infolist()
        central_start = archive.start_dir
    offsets = [i.header_offset for i in infos] + [central_start]
    shares = [offsets[n + 1] - offsets[n] + 46 + len(i.filename.encode("utf-8"))
              for n, i in enumerate(infos)]
    if shares:
        shares[0] += total - sum(shares)
    return shares
