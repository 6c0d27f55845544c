"""Release builder with --discs: the release laid out as a set of discs, the
disc manifest's DISK lines, and the split of the downloads over the discs."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

from tree_helpers import TOOLS, make_tree

import make_release
from manifest_format import GONE, ManifestError, read_manifest

PRODUCT = {
    "Skyvane.app": (b"#!/bin/sh\n", 0o755),
    "Instructions/manual.txt": b"m" * 3000,
    "Resources/a.dat": b"a" * 5000,
    "Resources/b.dat": b"b" * 5000,
    "Resources/sounds/one.wav": b"1" * 4000,
    "Resources/sounds/two.wav": b"2" * 4000,
    "Global Scenery/Pack/Earth nav data/+30-090/+35-085.dsf": b"t" * 6000,
    "Global Scenery/Pack/Earth nav data/-40+040/-35+045.dsf": b"u" * 6000,
}
RULES = make_release.Rules(stored=["Instructions/*"], per_folder=["Resources/sounds/*"])


class DiscSetTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="disc_set_test_")
        self.product = os.path.join(self.tmp, "product")
        make_tree(self.product, PRODUCT)

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def build(self, discs, out="mirror", previous=None):
        return make_release.build_release(self.product, os.path.join(self.tmp, out), "Disc Set", previous,
                                          RULES, overwrite=True, discs=(discs, os.path.join(self.tmp, "discs")))

    def disc_path(self, n, *rest):
        return os.path.join(self.tmp, "discs", "disc%d" % n, *rest)

    def disc_manifest(self):
        with zipfile.ZipFile(self.disc_path(1, "Disc Set", "directory.txt.zip")) as z:
            return z.read("directory.txt")

    def test_each_download_is_on_the_disc_its_lines_name(self):
        for count in (1, 2, 3):
            with self.subTest(discs=count):
                summary = self.build(count)
                histories = read_manifest(self.disc_manifest(), dvd=True)
                disks = [h[-1].disk for h in histories]
                self.assertEqual(disks, sorted(disks), "discs are asked for in order")
                self.assertEqual(sorted(set(disks)), list(range(count)), "every disc used")
                self.assertEqual(summary["disc_downloads"], [len({make_release.download_name(h[-1].path, h[-1].compression)
                                                                  for h in histories if h[-1].disk == n})
                                                             for n in range(count)])
                for h in histories:
                    name = make_release.download_name(h[-1].path, h[-1].compression)
                    for n in range(count):
                        there = os.path.isfile(self.disc_path(n + 1, "Disc Set", name))
                        self.assertEqual(there, n == h[-1].disk, "%s on disc %d" % (name, n + 1))
                    with open(os.path.join(self.tmp, "mirror", "Disc Set", name), "rb") as a, \
                            open(self.disc_path(h[-1].disk + 1, "Disc Set", name), "rb") as b:
                        self.assertEqual(a.read(), b.read(), name)
                sounds = {h[-1].disk for h in histories if h[-1].path.startswith("Resources/sounds/")}
                self.assertEqual(len(sounds), 1, "a folder zip stays on one disc")

    def test_disc_one_holds_the_description_and_the_mirror_manifest_is_unchanged(self):
        plain = make_release.build_release(self.product, os.path.join(self.tmp, "plain"), "Disc Set", None, RULES)
        self.build(2)
        with open(self.disc_path(1, "dvd_version.txt"), "rb") as f:
            self.assertEqual(f.read(), b"I\n1100 version\nDVD\n\nDisc Set, 2 discs\nVERSION Disc Set\n")
        self.assertFalse(os.path.exists(self.disc_path(2, "dvd_version.txt")))
        self.assertFalse(os.path.exists(self.disc_path(2, "Disc Set", "directory.txt.zip")))
        with open(os.path.join(plain["release_dir"], "directory.txt"), "rb") as f:
            plain_manifest = f.read()
        with open(os.path.join(self.tmp, "mirror", "Disc Set", "directory.txt"), "rb") as f:
            self.assertEqual(f.read(), plain_manifest)
        self.assertNotIn(b"DISK", plain_manifest)
        # Read as a network manifest, the disc manifest is the mirror's.
        self.assertEqual(read_manifest(self.disc_manifest()), read_manifest(plain_manifest))

    def test_gone_paths_keep_the_disc_of_the_line_before(self):
        self.build(1, out="old")
        os.remove(os.path.join(self.product, "Resources", "b.dat"))
        self.build(2, previous=os.path.join(self.tmp, "old", "Disc Set"))
        histories = read_manifest(self.disc_manifest(), dvd=True)
        gone = [n for n, h in enumerate(histories) if h[-1].sig == GONE]
        self.assertEqual(len(gone), 1)
        n = gone[0]
        self.assertEqual(histories[n][-1].disk, histories[n - 1][-1].disk if n else 0)

    def test_split_of_download_sizes(self):
        cases = [
            ([1, 1, 100], 2, [0, 0, 1]),
            ([5, 5, 5, 5], 2, [0, 0, 1, 1]),
            ([100, 1, 1], 3, [0, 1, 2]),   # a big first download leaves no disc empty
            ([1, 1, 1, 100], 2, [0, 0, 0, 1]),
            ([0, 0, 0], 2, [0, 0, 1]),      # empty files still fill both discs
            ([7, 7, 7], 1, [0, 0, 0]),
        ]
        for sizes, count, want in cases:
            with self.subTest(sizes=sizes, count=count):
                self.assertEqual(make_release.disc_of_units(sizes, count), want)
        for sizes, count in (([1], 2), ([1, 2], 0)):
            with self.subTest(refused=(sizes, count)):
                with self.assertRaises(ManifestError):
                    make_release.disc_of_units(sizes, count)

    def test_command_line(self):
        script = os.path.join(TOOLS, "make_release.py")
        ok = subprocess.run([sys.executable, script, self.product, os.path.join(self.tmp, "cli"),
                             "--install-name", "Disc Set", "--discs", "2", os.path.join(self.tmp, "discs")],
                            capture_output=True, text=True)
        self.assertEqual(ok.returncode, 0, ok.stderr)
        self.assertIn("2 discs", ok.stdout)
        self.assertTrue(os.path.isfile(self.disc_path(1, "dvd_version.txt")))
        for bad in (["--discs", "two", "x"], ["--discs", "40", os.path.join(self.tmp, "many")]):
            with self.subTest(args=bad):
                r = subprocess.run([sys.executable, script, self.product, os.path.join(self.tmp, "bad"),
                                    "--install-name", "Disc Set", "--overwrite"] + bad, capture_output=True, text=True)
                self.assertNotEqual(r.returncode, 0)
                self.assertFalse(os.path.exists(os.path.join(self.tmp, "many")))


if __name__ == "__main__":
    unittest.main()
