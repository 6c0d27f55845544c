"""The install manifest (directory.txt): FILE lines, DIR prefixes, reading it back.

Sizes are kilobytes of 1000 bytes with three decimals. The installer keeps
them in single precision, so a written size is nudged up until its
single-precision value is not below the true size: a limit derived from
it then never refuses a correct download.
"""

import dataclasses

from text_cursor import TextCursor, disk_kb_from_installed, to_single

HEADER = b"I\n1100 version\nINSTALLER\n\n"
MANIFEST_VERSIONS = (1100,)
GONE = "GONE"

OS_CODES = {"APL": 1, "IBM": 2, "LIN": 3}
FLAG_SCENERY = 0x08
FLAG_REGIONAL = 0x10
FLAG_GLOBAL = 0x20
STORED = 0x00
PER_FILE_ZIP = 0x40
SEVEN_ZIP = 0x80
PER_FOLDER_ZIP = 0xC0


class ManifestError(ValueError):
    pass


def format_kb(byte_count):
    """Kilobytes text whose single-precision reading covers byte_count."""
    thousandths = byte_count  # bytes are thousandths of a kilobyte
    while to_single(thousandths / 1000) * 1000 < byte_count:
        thousandths += 1
    return "%d.%03d" % divmod(thousandths, 1000)


@dataclasses.dataclass
class FileVersion:
    """One FILE line. The real fields are kept as their text so history
    lines copied from an older manifest are written back unchanged."""

    flags: int
    aux: int
    tile_box: tuple  # (lon_min, lat_min, lon_max, lat_max)
    download_text: str
    installed_text: str
    sig: str
    path: str
    disk: int = -1

    @property
    def os(self):
        return self.flags & 3

    @property
    def package_bits(self):
        return self.flags & 0x30

    @property
    def is_scenery(self):
        return (self.flags >> 3) & 1

    @property
    def compression(self):
        return self.flags & 0xC0

    @property
    def download_kb(self):
        return TextCursor(self.download_text.encode()).real()[0]

    @property
    def disk_kb(self):
        return disk_kb_from_installed(TextCursor(self.installed_text.encode()).real()[0])


def check_path(path):
    """Refuses paths that the manifest cannot carry or the installer must refuse."""
    if not path or path.startswith("/") or path.endswith("/"):
        raise ManifestError("path %r is empty, absolute or names a folder" % path)
    if path[0] in " \t":
        raise ManifestError("path %r starts with a blank, which the manifest drops" % path)
    if any(part in ("", ".", "..") for part in path.split("/")):
        raise ManifestError("path %r has an empty, '.' or '..' component" % path)
    bad = [c for c in path if ord(c) < 0x20 or c in "\x7f\\:"]
    if bad:
        raise ManifestError("path %r holds a control character, '\\' or ':'" % path)
    try:
        path.encode("utf-8")
    except UnicodeEncodeError:
        raise ManifestError("path %r is not valid UTF-8" % path) from None


def split_for_dir(path):
    """(DIR prefix, rest of FILE line): the rest never starts with a blank,
    because the reader drops leading blanks of both."""
    cut = path.rfind("/") + 1
    while cut < len(path) and path[cut] in " \t":
        cut += 1
    return path[:cut], path[cut:]


def file_line(version, rest):
    box = " ".join(str(v) for v in version.tile_box)
    return "FILE %d %d %s %s %s %s %s" % (
        version.flags, version.aux, box, version.download_text,
        version.installed_text, version.sig, rest)


def write_manifest(histories, disks=None):
    """histories: lists of FileVersion of one path each, oldest first.
    disks (a disc set's manifest): the disc number of each history; a DISK
    line goes before the first line of every other disc than the one before
    (the reader starts on disc 0)."""
    out = [HEADER]
    prefix = ""
    disk = 0
    for n, history in enumerate(histories):
        if disks is not None and disks[n] != disk:
            disk = disks[n]
            out.append(b"DISK %d\n" % disk)
        for version in history:
            check_path(version.path)
            want_prefix, rest = split_for_dir(version.path)
            if want_prefix != prefix:
                out.append(("DIR %s\n" % want_prefix).encode("utf-8"))
                prefix = want_prefix
            out.append((file_line(version, rest) + "\n").encode("utf-8"))
    return b"".join(out)


def read_manifest(data, dvd=False):
    """Reads a manifest as the installer does; returns a list of histories.

    Raises ManifestError for a wrong header or a path naming a folder."""
    cur = TextCursor(data)
    if cur.check_header(MANIFEST_VERSIONS, b"INSTALLER") == 0:
        raise ManifestError("wrong manifest header")
    histories = []
    prefix = b""
    disk = 0 if dvd else -1
    previous_path = None
    while not cur.at_end():
        if cur.keyword(b"DIR"):
            prefix = cur.rest_of_line()
        elif cur.keyword(b"DISK"):
            value = cur.integer()
            if dvd:
                disk = value
            cur.skip_line()
        elif cur.keyword(b"FILE"):
            flags = cur.integer()
            aux = cur.integer()
            box = tuple(cur.integer() for _ in range(4))
            _, download_raw = cur.real()
            _, installed_raw = cur.real()
            sig = cur.word()
            path = prefix + cur.rest_of_line()
            if path.endswith(b"/"):
                raise ManifestError("manifest path %r has no file" % path)
            version = FileVersion(flags, aux, box, download_raw.decode(),
                                  installed_raw.decode(), sig.decode(),
                                  path.decode("utf-8", "surrogateescape"), disk)
            if path != previous_path:
                histories.append([])
                previous_path = path
            histories[-1].append(version)
        else:
            cur.skip_line()
    return histories


def versions_by_path(histories):
    """All versions of each path, in manifest order (split histories merged)."""
    merged = {}
    for history in histories:
        merged.setdefault(history[-1].path, []).extend(history)
    return merged


def kb_to_bytes_floor(text):
    """Whole bytes named by a three-decimal kilobyte text (for checks)."""
    whole, _, frac = text.partition(".")
    return int(whole) * 1000 + int((frac + "000")[:3])

