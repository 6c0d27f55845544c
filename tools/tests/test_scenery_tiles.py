"""Block names and the region table the sample product puts its scenery in."""

import unittest

import tree_helpers  # noqa: F401  (puts tools/ on the path)
from scenery_tiles import REGIONS, block_name, block_of_name, region_blocks

BLOCK_COUNTS = [15, 21, 34, 41, 23, 48, 31, 63, 15, 22, 9, 20, 36, 40, 14, 45, 21, 23, 103, 76, 40]
IN_NO_REGION = ({(0, 15), (0, 16), (0, 17), (13, 11), (13, 12), (14, 11), (14, 17), (15, 17),
                 (16, 17), (17, 16), (17, 17)}
                | {(x, 17) for x in range(9, 14)} | {(15, y) for y in range(3, 9)}
                | {(25, y) for y in range(3, 8)} | {(26, y) for y in range(3, 8)})


class RegionTableTest(unittest.TestCase):
    def test_block_counts_and_overlaps(self):
        self.assertEqual(len(REGIONS), 21)
        self.assertEqual([len(region_blocks(r)) for r in range(21)], BLOCK_COUNTS)
        owners = {}
        for r in range(21):
            for block in region_blocks(r):
                owners.setdefault(block, []).append(r)
        self.assertEqual(sum(len(o) > 1 for o in owners.values()), 196)
        self.assertLessEqual(max(len(o) for o in owners.values()), 4)
        on_map = {(x, y) for x in range(36) for y in range(3, 18)}
        self.assertEqual(on_map - set(owners), IN_NO_REGION)
        self.assertEqual(set(owners) - on_map, set())

    def test_block_names(self):
        cases = [  # name, block (x, y) or None
            ("+30-090", (9, 12)), ("+35-085.dsf", (9, 12)), ("-90-180", (0, 0)),
            ("+89+179", (35, 17)), ("-01-001.dsf", (17, 8)), ("+00+000", (18, 9)),
            ("+90+000", None), ("+00+180", None), ("30-090", None), ("+30-90", None),
            ("+30-090x", None),
        ]
        for name, block in cases:
            with self.subTest(name=name):
                self.assertEqual(block_of_name(name), block)
        for x in range(36):
            for y in range(18):
                self.assertEqual(block_of_name(block_name(x, y)), (x, y))
        self.assertEqual(block_name(9, 12), "+30-090")


if __name__ == "__main__":
    unittest.main()
