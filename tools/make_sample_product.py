#!/usr/bin/env python3
"""Generates the sample Skyvane product folder the demo and the tests install.

A few hundred files: names with spaces, a symbolic link, the executable
"Skyvane.app" (a shell script printing its arguments, started by the
installer's "Fly" step), 60 entries in "Resources/bitmaps/Earth Orbit
Textures/" (10 with --demo, which also leaves out most scenery), scenery
packs for several map regions under "Global Scenery/", and files of the
regional and global extra packages (see make_sample_release.sh for the
rules that flag them). --version 2 is release 1 with files changed, added
and removed. --size-mb adds that many megabytes (10^6 bytes) of bulk files,
incompressible and compressible mixed, for benchmarks.

Every file's bytes come from a generator seeded by (seed, path, revision),
and modification times are fixed, so the same options give the same tree.
"""

import argparse
import dataclasses
import os
import random
import shutil
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from scenery_tiles import REGIONS, block_name  # noqa: E402

BASE_TIME = 1767225600  # 2026-01-01 00:00 UTC, release 1
V2_TIME = 1769904000    # 2026-02-01 00:00 UTC, files new in release 2
MIB = 1 << 20
BULK_FILE = 32 * MIB

# Blocks (x, y) with scenery, per map region. Regions 5 and 13 lie outside
# the default selection, so "default" and "all" regions install differently.
SCENERY_BLOCKS = {
    0: [(9, 12), (10, 13), (11, 13)],
    5: [(10, 5), (11, 6), (12, 7)],
    9: [(17, 14), (18, 14), (19, 13)],
    13: [(29, 15), (31, 14), (33, 16)],
    18: [(30, 6), (32, 5), (33, 7)],
}
TILES_PER_BLOCK = 3
REGIONAL_DETAIL_BLOCKS = [(9, 12), (10, 12), (18, 14)]
NEW_BLOCK_IN_V2 = (9, (20, 12))

WORDS = ("runway taxiway heading altitude vector approach tower ground frequency "
         "localizer glideslope beacon waypoint airway fix navaid elevation bearing "
         "wind ceiling visibility flaps gear throttle mixture trim rudder aileron").split()


@dataclasses.dataclass
class Entry:
    kind: str        # "text", "binary", "script", "link"
    size: int = 0
    rev: int = 1     # content revision; a changed file gets a new one
    mode: int = 0o644
    target: str = ""


def pack_name(region):
    return "Global Scenery/Scenery Region %02d %s/" % (region, REGIONS[region][0])


def tile_path(region, x, y, t):
    """Tile t of block (x, y): 1-degree tiles inside the block folder."""
    return "%sEarth nav data/%s/%+03d%+04d.dsf" % (pack_name(region), block_name(x, y),
                                                  y * 10 - 90 + 3 * t, x * 10 - 180 + 3 * t)


def _numbered(files, folder, stem, ext, count, kind, size):
    for n in range(1, count + 1):
        files["%s%s %02d%s" % (folder, stem, n, ext)] = Entry(kind, size)


def release_one(demo):
    """The files of release 1: {path: Entry}."""
    f = {}
    f["Skyvane.app"] = Entry("script", mode=0o755)
    f["Instructions/Skyvane 11 Manual.txt"] = Entry("text", 24000)
    f["Instructions/Getting Started.html"] = Entry("text", 6000)
    f["Instructions/Keyboard Shortcuts.txt"] = Entry("text", 3000)
    _numbered(f, "Airfoils/", "SV profile", ".afl", 12, "text", 4000)
    _numbered(f, "Aircraft/Skyvane Trainer/objects/", "trainer part", ".obj", 16, "text", 9000)
    _numbered(f, "Aircraft/Skyvane Trainer/liveries/Blue Stripe/", "paint", ".png", 6, "binary", 12000)
    _numbered(f, "Aircraft/Skyvane Trainer/liveries/Sunset/", "paint", ".png", 6, "binary", 12000)
    f["Aircraft/Skyvane Trainer/Skyvane Trainer.acf"] = Entry("text", 40000)
    f["Aircraft/Skyvane Glider/Skyvane Glider.acf"] = Entry("text", 30000)
    _numbered(f, "Aircraft/Skyvane Glider/objects/", "glider part", ".obj", 8, "text", 7000)
    _numbered(f, "Aircraft/Skyvane Glider/liveries/Old Red/", "paint", ".png", 4, "binary", 9000)
    orbit = 10 if demo else 60
    for n in range(orbit):
        f["Resources/bitmaps/Earth Orbit Textures/earth_orbit_%02d.png" % n] = Entry(
            "binary", 2000 + 97 * n)
    _numbered(f, "Resources/bitmaps/cockpit/", "gauge face", ".png", 30, "binary", 5000)
    _numbered(f, "Resources/bitmaps/interface/", "button", ".png", 20, "binary", 1500)
    _numbered(f, "Resources/sounds/engine/", "engine loop", ".wav", 20, "binary", 20000)
    _numbered(f, "Resources/sounds/weather/", "rain", ".wav", 10, "binary", 15000)
    f["Resources/default data/earth_nav.dat"] = Entry("text", 60000)
    f["Resources/default data/earth_fix.dat"] = Entry("text", 45000)
    f["Resources/default data/earth_awy.dat"] = Entry("text", 50000)
    f["Resources/default data/earth_nav_current.dat"] = Entry("link", target="earth_nav.dat")
    f["Resources/plugins/lin_x64/sky_tools.so"] = Entry("binary", 30000)
    f["Resources/plugins/win_x64/sky_tools.dll"] = Entry("binary", 30000)
    f["Resources/plugins/mac_x64/sky_tools.dylib"] = Entry("binary", 30000)
    _numbered(f, "Resources/global extras/airport overlays/", "overlay", ".dat", 12, "text", 6000)
    for region, blocks in sorted(SCENERY_BLOCKS.items())[:1 if demo else None]:
        f[pack_name(region) + "pack info.txt"] = Entry("text", 800)
        if not demo:
            f[pack_name(region) + "textures/ground.dds"] = Entry("binary", 16000)
        for x, y in blocks[:1 if demo else None]:
            for t in range(1 if demo else TILES_PER_BLOCK):
                f[tile_path(region, x, y, t)] = Entry("binary", 18000)
    if not demo:
        for x, y in REGIONAL_DETAIL_BLOCKS:
            f["Global Scenery/Regional Detail/Earth nav data/%s/detail.dsf"
              % block_name(x, y)] = Entry("binary", 10000)
    return f


def release_two(files):
    """Release 2: some files changed, added and removed."""
    f = dict(files)
    changed = ["Skyvane.app", "Resources/default data/earth_nav.dat",
               "Resources/bitmaps/Earth Orbit Textures/earth_orbit_07.png",
               "Instructions/Skyvane 11 Manual.txt"]
    changed += ["Resources/bitmaps/cockpit/gauge face %02d.png" % n for n in (3, 9, 17)]
    changed += [tile_path(0, 9, 12, 0), "Global Scenery/Regional Detail/Earth nav data/+30-080/detail.dsf"]
    for path in changed:
        if path in f:
            f[path] = dataclasses.replace(f[path], rev=2)
    f["Resources/default data/earth_nav_v2.dat"] = Entry("text", 62000, rev=2)
    f["Resources/default data/earth_nav_current.dat"] = Entry("link", rev=2, target="earth_nav_v2.dat")
    f["Resources/bitmaps/cockpit/gauge face new.png"] = Entry("binary", 5200, rev=2)
    _numbered(f, "Aircraft/Skyvane Seaplane/objects/", "float part", ".obj", 5, "text", 8000)
    for path in [p for p in f if p.startswith("Aircraft/Skyvane Seaplane/")]:
        f[path] = dataclasses.replace(f[path], rev=2)
    for path in [p for p in f if p.startswith("Aircraft/Skyvane Glider/liveries/Old Red/")]:
        del f[path]
    for n in (2, 5, 8):
        f.pop("Resources/sounds/weather/rain %02d.wav" % n, None)
    f.pop(tile_path(18, 33, 7, 2), None)
    region, (x, y) = NEW_BLOCK_IN_V2
    if pack_name(region) + "pack info.txt" in f:
        for t in range(TILES_PER_BLOCK):
            f[tile_path(region, x, y, t)] = Entry("binary", 18000, rev=2)
    return f


def add_bulk(files, size_mb):
    """size_mb megabytes in pairs of incompressible and compressible files,
    the same in both releases so an update does not fetch them again."""
    need = size_mb * 1000 * 1000
    if need <= 0:
        return
    count = max(2, -(-need // BULK_FILE))
    count += count % 2
    for n in range(count):
        kind, folder, ext = (("binary", "incompressible", "bin") if n % 2 == 0
                             else ("text", "compressible", "txt"))
        files["Resources/bulk data/%s/bulk %03d.%s" % (folder, n, ext)] = Entry(
            kind, -(-need // count))


def _text_block(rng, size):
    lines, total = [], 0
    while total < size:
        line = "%s %d.%03d %s %s\n" % (rng.choice(WORDS), rng.randrange(1000), rng.randrange(1000),
                                       rng.choice(WORDS), rng.choice(WORDS))
        lines.append(line)
        total += len(line)
    return "".join(lines).encode()[:size]


def _write_content(out, rng, entry):
    remaining = entry.size
    block = _text_block(rng, min(MIB, entry.size)) if entry.kind == "text" else b""
    while remaining > 0:
        step = min(MIB, remaining)
        if entry.kind == "binary":
            out.write(rng.randbytes(step))
        else:
            turn = rng.randrange(len(block))
            out.write((block[turn:] + block[:turn])[:step])
        remaining -= step


def script(rev):
    return ("#!/bin/sh\n"
            "# Stands in for the simulator: shows how the installer started it.\n"
            "echo \"Skyvane 11 sample release %d started with $# argument(s)\"\n"
            "for arg in \"$@\"; do\n"
            "  printf '  [%%s]\\n' \"$arg\"\n"
            "done\n" % rev).encode()


def write_product(root, files, seed):
    for path in sorted(files):
        entry = files[path]
        target = os.path.join(root, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        # Stable per path, so an unchanged file keeps its date in release 2.
        when = (BASE_TIME if entry.rev == 1 else V2_TIME) + zlib.crc32(path.encode()) % (28 * 86400)
        if entry.kind == "link":
            os.symlink(entry.target, target)
            os.utime(target, (when, when), follow_symlinks=False)
            continue
        rng = random.Random("%s:%s:%d" % (seed, path, entry.rev))
        with open(target, "wb") as out:
            if entry.kind == "script":
                out.write(script(entry.rev))
            else:
                _write_content(out, rng, entry)
        os.chmod(target, entry.mode)
        os.utime(target, (when, when))


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("out", help="product folder to create")
    p.add_argument("--version", type=int, choices=(1, 2), default=1)
    p.add_argument("--demo", action="store_true", help="10 orbit textures, little scenery")
    p.add_argument("--size-mb", type=int, default=0, help="add this many MB of bulk data")
    p.add_argument("--seed", default="skyvane")
    p.add_argument("--overwrite", action="store_true", help="replace an existing folder")
    args = p.parse_args(argv)
    if os.path.lexists(args.out) and (not os.path.isdir(args.out) or os.listdir(args.out)):
        if not args.overwrite:
            print("make_sample_product: %s exists (use --overwrite)" % args.out, file=sys.stderr)
            return 1
        shutil.rmtree(args.out)
    files = release_one(args.demo)
    if args.version == 2:
        files = release_two(files)
    add_bulk(files, args.size_mb)
    write_product(args.out, files, args.seed)
    total = sum(os.lstat(os.path.join(args.out, path)).st_size for path in files)
    print("%s: %d files, %d bytes" % (args.out, len(files), total))
    return 0


if __name__ == "__main__":
    sys.exit(main())
