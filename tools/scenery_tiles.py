"""Scenery blocks: the 36 x 18 grid of 10-degree blocks, the 21 map regions,
and how a scenery file's block box follows from its path.

Path convention (files under "Global Scenery/"):
  Global Scenery/<pack>/Earth nav data/<block>/<tile>.dsf
A block name is "%+03d%+04d" of latitude and longitude ("+30-090"), optionally
followed by an extension ("+35-085.dsf"). The first component below
"Global Scenery/" that is a block name gives the file's box: the one 10-degree
block holding that point. The block folder comes before its tile files, so
the box is the block folder's, the folder the installer looks for when it
finds which blocks an installation holds.
A scenery file with no block name in its path (pack-wide textures, a pack's
readme) covers the bounding box of every block of its pack; a pack without
blocks, or a file directly in "Global Scenery/", covers the whole grid.
"""

import re

SCENERY_ROOT = "Global Scenery/"
COLUMNS, ROWS = 36, 18
WHOLE_GRID = (0, 0, COLUMNS - 1, ROWS - 1)

_BLOCK_NAME = re.compile(r"^([+-]\d{2})([+-]\d{3})(\.[^/]*)?$")


def block_name(x, y):
    """Folder name of block (x, y), as the installer prints it."""
    return "%+03d%+04d" % (y * 10 - 90, x * 10 - 180)


def block_of_name(name):
    """(x, y) of the block holding the point a block name gives, or None."""
    match = _BLOCK_NAME.match(name)
    if not match:
        return None
    lat, lon = int(match.group(1)), int(match.group(2))
    if not (-90 <= lat < 90 and -180 <= lon < 180):
        return None
    return (lon + 180) // 10, (lat + 90) // 10


def scenery_pack(path):
    """The pack folder name of a scenery path, or None."""
    if not path.startswith(SCENERY_ROOT):
        return None
    rest = path[len(SCENERY_ROOT):].split("/")
    return rest[0] if len(rest) > 1 else None


def block_of_path(path):
    for part in path[len(SCENERY_ROOT):].split("/"):
        block = block_of_name(part)
        if block is not None:
            return block
    return None


def tile_boxes(paths):
    """{path: (lon_min, lat_min, lon_max, lat_max)} for every scenery path."""
    boxes, pack_blocks = {}, {}
    for path in paths:
        if path.startswith(SCENERY_ROOT):
            block = block_of_path(path)
            if block is not None:
                boxes[path] = block + block
                pack_blocks.setdefault(scenery_pack(path), []).append(block)
    for path in paths:
        if path.startswith(SCENERY_ROOT) and path not in boxes:
            blocks = pack_blocks.get(scenery_pack(path))
            if blocks:
                xs, ys = [b[0] for b in blocks], [b[1] for b in blocks]
                boxes[path] = (min(xs), min(ys), max(xs), max(ys))
            else:
                boxes[path] = WHOLE_GRID
    return boxes


# Regions of the world map: (name, boxes (x1, x2, y1, y2), extra blocks).
REGIONS = [
    ("Eastern United States", [(8, 12, 11, 13)], []),
    ("Western United States", [(5, 8, 11, 13), (1, 3, 10, 12)], []),
    ("Eastern Canada, Greenland, & Iceland", [(8, 15, 13, 16), (15, 16, 15, 16)], []),
    ("Western Canada & Alaska", [(1, 8, 13, 17)], [(0, 14)]),
    ("Mexico & Northern South America", [(6, 12, 9, 11), (6, 7, 12, 12)], []),
    ("Southern South America", [(9, 14, 2, 10)], []),
    ("Northwestern Africa", [(15, 20, 9, 12), (21, 21, 9, 11), (22, 23, 10, 10)], [(22, 9), (23, 9)]),
    ("Southern Africa", [(16, 24, 3, 9)], []),
    ("Middle East", [(21, 24, 10, 12), (20, 21, 11, 12)], [(22, 13)]),
    ("Western Europe", [(14, 20, 12, 14)], [(17, 15)]),
    ("Eastern Europe", [(20, 22, 12, 14)], []),
    ("Scandinavia", [(18, 22, 14, 17)], []),
    ("Western Russia", [(21, 28, 14, 17)], [(21, 13), (22, 13), (26, 13), (28, 13)]),
    ("Siberia", [(28, 35, 13, 17)], []),
    ("West-Central Asia", [(23, 26, 12, 14), (22, 22, 13, 14)], []),
    ("Southeast Asia", [(27, 33, 8, 11), (34, 35, 8, 8), (30, 35, 12, 13), (35, 36, 6, 7)], [(33, 7)]),
    ("Southwestern Asia", [(24, 27, 8, 12)], [(28, 11)]),
    ("China & Mongolia", [(26, 30, 11, 14), (25, 25, 12, 13)], [(31, 13)]),
    ("Australia & New Zealand", [(27, 35, 3, 7), (31, 32, 8, 8), (0, 6, 3, 10)], []),
    ("Pacific Islands (Left)", [(0, 4, 2, 13), (7, 9, 3, 9)], []),
    ("Pacific Islands (Right)", [(30, 30, 11, 12), (31, 32, 9, 13), (33, 35, 6, 14)], [(32, 14)]),
]


def region_blocks(region):
    """The set of (x, y) blocks of a region; rows 0..2 lie outside the map."""
    _, boxes, extras = REGIONS[region]
    blocks = set()
    for x1, x2, y1, y2 in boxes:
        for x in range(max(x1, 0), min(x2, COLUMNS - 1) + 1):
            for y in range(max(y1, 3), min(y2, ROWS - 1) + 1):
                blocks.add((x, y))
    return blocks | set(extras)
