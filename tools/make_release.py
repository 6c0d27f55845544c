#!/usr/bin/env python3
"""Builds a release folder laid out as a mirror serves it.

  <out>/<install name>/directory.txt       the manifest
  <out>/<install name>/directory.txt.zip   a zip holding "directory.txt"
  <out>/<install name>/<download name>     every file: stored, per-file zip
                                           (path + ".zip") or per-folder zip
                                           (folder + ".zip")
  <out>/_lookup_11_/server_list_11.txt     when --mirror is given

With --discs N DIR the same downloads are also laid out as a set of N discs,
DIR/disc1 ... DIR/discN, each holding <install name>/<download name> for its
share of the files; disc 1 also holds "dvd_version.txt" (naming the install
name) and <install name>/directory.txt.zip, whose manifest says with DISK
lines which disc (counted from 0) holds which files. Files are split in
manifest order by download size, a folder zip never across two discs.

With --previous (an older release's folder, directory.txt or
directory.txt.zip) the older checksums of each path are listed as history
lines before its current line, and paths no longer in the product are
listed as GONE, keeping their own history, so installations of any older
release are brought up to date and user changes are still told apart.

Rules take shell-style globs matched against the whole relative path
("*" also matches "/"). Compression: --stored first, then --per-folder,
otherwise one zip per file. Links and executable files are never stored
(the installer writes stored files as plain 0644 files), nor are files of
the top folder put into a folder zip (its name would be ".zip").
Scenery (flag 0x08) is every file under "Global Scenery/"; its block box
follows the convention in scenery_tiles.py. The second integer of FILE
lines (aux) is always 0.
"""

import argparse
import dataclasses
import fnmatch
import os
import shutil
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import release_zip  # noqa: E402
from manifest_format import (  # noqa: E402
    FLAG_GLOBAL, FLAG_REGIONAL, FLAG_SCENERY, GONE, OS_CODES, PER_FILE_ZIP,
    PER_FOLDER_ZIP, STORED, FileVersion, ManifestError, format_kb,
    read_manifest, versions_by_path, write_manifest)
from product_tree import order_key, walk_product  # noqa: E402
from scenery_tiles import SCENERY_ROOT, tile_boxes  # noqa: E402
from server_list_format import (  # noqa: E402
    LOOKUP_PATH, Server, ServerListError, parse_mirror, write_server_list)

MANIFEST = "directory.txt"
MANIFEST_ZIP = "directory.txt.zip"


@dataclasses.dataclass
class Rules:
    stored: list = dataclasses.field(default_factory=list)
    per_folder: list = dataclasses.field(default_factory=list)
    os_rules: list = dataclasses.field(default_factory=list)  # (code, glob)
    regional: list = dataclasses.field(default_factory=list)
    global_: list = dataclasses.field(default_factory=list)


def _matches(path, globs):
    return any(fnmatch.fnmatchcase(path, g) for g in globs)


def flags_for(item, rules, notes):
    flags = 0
    for code, glob in rules.os_rules:
        if fnmatch.fnmatchcase(item.path, glob):
            flags |= code
            break
    if item.path.startswith(SCENERY_ROOT):
        flags |= FLAG_SCENERY
    if _matches(item.path, rules.regional):
        flags |= FLAG_REGIONAL
    if _matches(item.path, rules.global_):
        flags |= FLAG_GLOBAL
    if _matches(item.path, rules.stored):
        if item.is_link or item.mode & 0o111:
            notes.append("zipped, not stored (link or executable): " + item.path)
        else:
            return flags | STORED
    if _matches(item.path, rules.per_folder) and "/" in item.path:
        return flags | PER_FOLDER_ZIP
    return flags | PER_FILE_ZIP


def download_name(path, compression):
    if compression == STORED:
        return path
    if compression == PER_FOLDER_ZIP:
        return path[:path.rfind("/")] + ".zip"
    return path + ".zip"


def _check_download_names(names, flags):
    """names: {download name: [paths]}; refuses names that clash. Only the
    files of one folder zip may share a name."""
    owners = {MANIFEST: ["the manifest"], MANIFEST_ZIP: ["the zipped manifest"]}
    for name, paths in names.items():
        if name in owners:
            raise ManifestError("download name %r of %s clashes with %s"
                                % (name, paths[0], owners[name][0]))
        shared = [p for p in paths if flags[p] & 0xC0 != PER_FOLDER_ZIP]
        if len(paths) > 1 and shared:
            other = next(p for p in paths if p != shared[0])
            raise ManifestError("download name %r of %s clashes with %s" % (name, shared[0], other))
        owners[name] = paths
    for name, paths in names.items():
        parts = name.split("/")
        for n in range(1, len(parts)):
            folder = "/".join(parts[:n])
            if folder in owners:
                raise ManifestError("download %r of %s would sit inside download %r of %s"
                                    % (name, paths[0], folder, owners[folder][0]))


def load_previous(path):
    """{path: [FileVersion...]} of an older release."""
    if os.path.isdir(path):
        for name in (MANIFEST, MANIFEST_ZIP):
            if os.path.isfile(os.path.join(path, name)):
                path = os.path.join(path, name)
                break
        else:
            raise ManifestError("no %s or %s in %r" % (MANIFEST, MANIFEST_ZIP, path))
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            data = archive.read(MANIFEST)
    else:
        with open(path, "rb") as f:
            data = f.read()
    return versions_by_path(read_manifest(data))


def _history(older, current_sig):
    """Older versions worth listing: distinct checksums other than the current."""
    seen, kept = {current_sig, GONE}, []
    for version in older:
        if version.sig not in seen:
            seen.add(version.sig)
            kept.append(version)
    return kept


def _write_downloads(release_dir, files, flags):
    """Writes every download; returns {path: bytes of download owed to it}."""
    shares, folders = {}, {}
    for item in files:
        compression = flags[item.path] & 0xC0
        target = os.path.join(release_dir, download_name(item.path, compression))
        if compression == STORED:
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(item.source, target)
            shares[item.path] = item.size
        elif compression == PER_FOLDER_ZIP:
            folders.setdefault(target, []).append(item)
        else:
            with release_zip.open_archive(target) as archive:
                release_zip.add_file(archive, item, item.path.rsplit("/", 1)[-1])
            shares[item.path] = os.path.getsize(target)
    for target, members in folders.items():
        with release_zip.open_archive(target) as archive:
            for item in members:
                release_zip.add_file(archive, item, item.path.rsplit("/", 1)[-1])
        for item, share in zip(members, release_zip.entry_shares(target)):
            shares[item.path] = share
    return shares


DVD_VERSION_FILE = "dvd_version.txt"
DVD_HEADER = b"I\n1100 version\nDVD\n\n"


def disc_of_units(sizes, count):
    """Disc (from 0) of each download, in manifest order: split by the
    middle of each download's bytes, never going back, never skipping a
    disc and leaving no disc empty."""
    if count < 1:
        raise ManifestError("a disc set needs at least one disc")
    if len(sizes) < count:
        raise ManifestError("%d downloads cannot fill %d discs" % (len(sizes), count))
    total = float(sum(sizes)) or 1.0
    discs, before, prev = [], 0, 0
    for n, size in enumerate(sizes):
        want = int((before + size / 2.0) * count / total)
        low = max(prev, count - (len(sizes) - n))
        high = 0 if n == 0 else min(prev + 1, count - 1)
        prev = min(max(want, low), high)
        discs.append(prev)
        before += size
    return discs


def _plan_discs(histories, release_dir, count):
    """The disc of every history: its download's, a GONE path the one
    before it."""
    units, unit_of = [], []
    for history in histories:
        current = history[-1]
        if current.sig == GONE:
            unit_of.append(None)
            continue
        name = download_name(current.path, current.compression)
        if not units or units[-1] != name:
            units.append(name)
        unit_of.append(len(units) - 1)
    sizes = [os.path.getsize(os.path.join(release_dir, name)) for name in units]
    unit_disc = disc_of_units(sizes, count)
    disks, disk = [], 0
    for unit in unit_of:
        if unit is not None:
            disk = unit_disc[unit]
        disks.append(disk)
    return units, unit_disc, disks


def _write_disc_set(release_dir, disc_root, install_name, histories, count, newest, overwrite):
    units, unit_disc, disks = _plan_discs(histories, release_dir, count)
    folders = [os.path.join(disc_root, "disc%d" % (n + 1)) for n in range(count)]
    for folder in folders:
        if os.path.isdir(folder) and os.listdir(folder):
            if not overwrite:
                raise ManifestError("%r is not empty (use --overwrite)" % folder)
            shutil.rmtree(folder)
        os.makedirs(os.path.join(folder, install_name), exist_ok=True)
    for name, disc in zip(units, unit_disc):
        target = os.path.join(folders[disc], install_name, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(release_dir, name), target)
    manifest = write_manifest(histories, disks)
    with release_zip.open_archive(os.path.join(folders[0], install_name, MANIFEST_ZIP)) as archive:
        release_zip.add_bytes(archive, MANIFEST, manifest, newest)
    with open(os.path.join(folders[0], DVD_VERSION_FILE), "wb") as f:
        f.write(DVD_HEADER + ("%s, %d discs\nVERSION %s\n" % (install_name, count, install_name)).encode("utf-8"))
    return [unit_disc.count(n) for n in range(count)]


def _check_install_name(name):
    if (not name or name != name.strip() or "/" in name or name in (".", "..")
            or name == LOOKUP_PATH.split("/")[0] or any(ord(c) < 0x20 for c in name)):
        raise ManifestError("install name %r must be one folder name" % name)


def build_release(product, out, install_name, previous=None, rules=None, mirrors=(),
                  labels=(), beta=None, final=None, full=None, overwrite=False, discs=None):
    """Builds the release; returns a summary dict. Raises ManifestError,
    ServerListError or OSError on failure, before writing when it can."""
    rules = rules or Rules()
    _check_install_name(install_name)
    if discs is not None and discs[0] < 1:
        raise ManifestError("a disc set needs at least one disc")
    older = load_previous(previous) if previous else {}
    files = walk_product(product)
    notes = []
    flags = {f.path: flags_for(f, rules, notes) for f in files}
    boxes = tile_boxes([f.path for f in files])

    names = {}
    for item in files:
        names.setdefault(download_name(item.path, flags[item.path] & 0xC0), []).append(item.path)
    _check_download_names(names, flags)
    if discs is not None and len(names) < discs[0]:
        raise ManifestError("%d downloads cannot fill %d discs" % (len(names), discs[0]))
    servers = []
    for n, mirror in enumerate(mirrors):
        host, path = parse_mirror(mirror)
        servers.append(Server(host, path, labels[n] if n < len(labels) else "Mirror %d" % (n + 1)))
    server_list = None
    if servers:
        server_list = write_server_list(beta or install_name, final or install_name,
                                        full or install_name, servers)

    release_dir = os.path.join(out, install_name)
    if os.path.isdir(release_dir) and os.listdir(release_dir):
        if not overwrite:
            raise ManifestError("%r is not empty (use --overwrite)" % release_dir)
        shutil.rmtree(release_dir)
    os.makedirs(release_dir, exist_ok=True)
    shares = _write_downloads(release_dir, files, flags)

    histories, history_lines = [], 0
    current = set()
    for item in files:
        version = FileVersion(flags[item.path], 0, boxes.get(item.path, (0, 0, 0, 0)),
                              format_kb(shares[item.path]), format_kb(item.size),
                              item.md5, item.path)
        old = _history(older.get(item.path, []), item.md5)
        history_lines += len(old)
        histories.append(old + [version])
        current.add(item.path)
    gone = sorted((p for p in older if p not in current), key=order_key)
    for path in gone:
        last = older[path][-1]
        old = _history(older[path], GONE)
        history_lines += len(old)
        histories.append(old + [FileVersion(last.flags, last.aux, last.tile_box,
                                            "0.000", "0.000", GONE, path)])
        if any(p.startswith(path + "/") for p in current):
            notes.append("removed file %s is now a folder: the installer makes folders "
                         "before it deletes files, so this update will fail" % path)
    histories.sort(key=lambda h: order_key(h[-1].path))

    manifest = write_manifest(histories)
    with open(os.path.join(release_dir, MANIFEST), "wb") as f:
        f.write(manifest)
    newest = max((f.mtime for f in files), default=0)
    with release_zip.open_archive(os.path.join(release_dir, MANIFEST_ZIP)) as archive:
        release_zip.add_bytes(archive, MANIFEST, manifest, newest)
    if server_list is not None:
        lookup = os.path.join(out, LOOKUP_PATH)
        os.makedirs(os.path.dirname(lookup), exist_ok=True)
        with open(lookup, "wb") as f:
            f.write(server_list)
    disc_downloads = None
    if discs is not None:
        disc_downloads = _write_disc_set(release_dir, discs[1], install_name, histories, discs[0],
                                         newest, overwrite)
    return {"files": len(files), "bytes": sum(f.size for f in files),
            "downloads": len(names), "history_lines": history_lines,
            "gone": len(gone), "notes": notes, "release_dir": release_dir,
            "disc_downloads": disc_downloads}


def _os_rule(text):
    code, sep, glob = text.partition("=")
    value = OS_CODES.get(code.upper()) or (int(code) if code in ("1", "2", "3") else None)
    if not sep or not glob or value is None:
        raise argparse.ArgumentTypeError("expected APL|IBM|LIN=GLOB, got %r" % text)
    return value, glob


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("product", help="product folder")
    p.add_argument("out", help="mirror root folder to write into")
    p.add_argument("--install-name", required=True, help="release folder name on the mirrors")
    p.add_argument("--previous", help="older release: its folder, directory.txt or .zip")
    p.add_argument("--stored", action="append", default=[], metavar="GLOB")
    p.add_argument("--per-folder", action="append", default=[], metavar="GLOB")
    p.add_argument("--os", action="append", default=[], type=_os_rule, metavar="CODE=GLOB",
                   dest="os_rules", help="operating system of matching files (APL, IBM, LIN)")
    p.add_argument("--regional", action="append", default=[], metavar="GLOB",
                   help="files of the regional extra package (0x10)")
    p.add_argument("--global", action="append", default=[], metavar="GLOB", dest="global_",
                   help="files of the global extra package (0x20)")
    p.add_argument("--mirror", action="append", default=[], metavar="HOST[:PORT]/PATH/")
    p.add_argument("--mirror-label", action="append", default=[], metavar="LABEL")
    p.add_argument("--beta-name")
    p.add_argument("--final-name")
    p.add_argument("--full-name")
    p.add_argument("--overwrite", action="store_true", help="replace an existing release folder")
    p.add_argument("--discs", nargs=2, metavar=("N", "DIR"),
                   help="also lay the release out as a set of N discs DIR/disc1 ... DIR/discN")
    args = p.parse_args(argv)
    if args.discs is not None:
        try:
            args.discs = (int(args.discs[0]), args.discs[1])
        except ValueError:
            p.error("--discs: N must be a number, got %r" % args.discs[0])
    return args


def main(argv=None):
    args = parse_args(argv)
    rules = Rules(args.stored, args.per_folder, args.os_rules, args.regional, args.global_)
    try:
        summary = build_release(args.product, args.out, args.install_name, args.previous, rules,
                                args.mirror, args.mirror_label, args.beta_name,
                                args.final_name, args.full_name, args.overwrite, args.discs)
    except (ManifestError, ServerListError, OSError, zipfile.BadZipFile) as error:
        print("make_release: %s" % error, file=sys.stderr)
        return 1
    for note in summary["notes"]:
        print("make_release: note: " + note, file=sys.stderr)
    print("%s: %d files, %d bytes, %d downloads, %d history lines, %d GONE"
          % (summary["release_dir"], summary["files"], summary["bytes"],
             summary["downloads"], summary["history_lines"], summary["gone"]))
    if summary["disc_downloads"] is not None:
        print("%s: %d discs, downloads per disc %s" % (args.discs[1], len(summary["disc_downloads"]),
                                                       " ".join(str(n) for n in summary["disc_downloads"])))
    return 0


if __name__ == "__main__":
    sys.exit(main())
