"""The sample product and the two sample releases that the demo and the
end-to-end tests serve."""

import contextlib
import io
import os
import shutil
import stat
import subprocess
import tempfile
import unittest
import zipfile
import zlib

from tree_helpers import TOOLS, tree_digest

import make_release
import make_sample_product
from manifest_format import read_manifest, versions_by_path
from scenery_tiles import REGIONS, block_of_name, region_blocks
from server_list_format import read_server_list

ORBIT = "Resources/bitmaps/Earth Orbit Textures/"
# Default scenery selection of a new installation (block columns x rows).
DEFAULT_BLOCKS = ({(x, y) for x in range(5, 13) for y in range(12, 17)}
                  | {(x, y) for x in range(17, 20) for y in range(13, 16)}
                  | {(x, y) for x in range(29, 34) for y in range(5, 9)})


def product_paths(root):
    found = set()
    for folder, dirs, files in os.walk(root):
        for name in files:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def generate(out, *options):
    with contextlib.redirect_stdout(io.StringIO()):
        assert make_sample_product.main([out] + list(options)) == 0


class SampleReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="sample_release_test_")
        cls.work = os.path.join(cls.tmp, "work")
        cls.root = os.path.join(cls.tmp, "root")
        subprocess.run([os.path.join(TOOLS, "make_sample_release.sh"), cls.work, cls.root,
                        "--mirror", "127.0.0.1:18081/", "--mirror", "127.0.0.1:18082/"],
                       check=True, stdout=subprocess.DEVNULL)
        cls.releases = {}
        for name in ("skyvane11_r1", "skyvane11_r2"):
            with zipfile.ZipFile(os.path.join(cls.root, name, "directory.txt.zip")) as archive:
                cls.releases[name] = read_manifest(archive.read("directory.txt"))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def current(self, release):
        return {h[-1].path: h[-1] for h in self.releases[release]}

    def test_server_list_names_both_releases_and_the_mirrors(self):
        with open(os.path.join(self.root, "_lookup_11_", "server_list_11.txt"), "rb") as f:
            fields, servers = read_server_list(f.read())
        self.assertEqual(fields, {"BETA": "skyvane11_r2", "FINAL": "skyvane11_r2",
                                  "FULL": "skyvane11_r1"})
        self.assertEqual([(s.host, s.path) for s in servers],
                         [("127.0.0.1:18081", "/"), ("127.0.0.1:18082", "/")])

    def test_release_two_lists_changes_additions_and_removals(self):
        r1, r2 = self.current("skyvane11_r1"), self.current("skyvane11_r2")
        in_product = product_paths(os.path.join(self.work, "product_r2"))
        gone = {p for p, v in r2.items() if v.sig == "GONE"}
        self.assertEqual(gone, set(r1) - in_product)
        self.assertEqual(set(r2) - gone, in_product)
        self.assertGreater(len(in_product - set(r1)), 3)
        history = versions_by_path(self.releases["skyvane11_r2"])
        changed = {p for p in in_product & set(r1) if r1[p].sig != r2[p].sig}
        self.assertGreater(len(changed), 5)
        for path, versions in history.items():
            with self.subTest(path=path):
                expected = [r1[path].sig] if path in changed or path in gone else []
                self.assertEqual([v.sig for v in versions[:-1]], expected)

    def test_every_download_of_each_release_exists(self):
        for release in self.releases:
            for path, v in self.current(release).items():
                if v.sig != "GONE":
                    name = make_release.download_name(path, v.compression)
                    self.assertTrue(os.path.isfile(os.path.join(self.root, release, name)), name)

    def test_product_has_what_the_flows_rely_on(self):
        r2 = self.current("skyvane11_r2")
        live = {p: v for p, v in r2.items() if v.sig != "GONE"}
        self.assertEqual(len([p for p in live if p.startswith(ORBIT)]), 60)
        for folder in ("Airfoils/", "Instructions/", "Resources/"):
            self.assertTrue(any(p.startswith(folder) for p in live), folder)
        kinds = {v.compression for v in live.values()}
        self.assertEqual(kinds, {0x00, 0x40, 0xC0})
        self.assertEqual({v.os for v in live.values()}, {0, 1, 2, 3})
        self.assertTrue(any(v.package_bits == 0x10 and v.is_scenery for v in live.values()))
        self.assertTrue(any(v.package_bits == 0x20 for v in live.values()))
        self.assertTrue(os.path.islink(os.path.join(
            self.work, "product_r2", "Resources/default data/earth_nav_current.dat")))
        self.assertTrue(any(" " in p for p in live))

    def test_scenery_packs_lie_in_their_regions(self):
        blocks_outside_default = 0
        for path, v in self.current("skyvane11_r2").items():
            parts = path.split("/")
            if len(parts) < 5 or not parts[1].startswith("Scenery Region "):
                continue
            with self.subTest(path=path):
                region = int(parts[1].split()[2])
                self.assertEqual(parts[1], "Scenery Region %02d %s" % (region, REGIONS[region][0]))
                block = block_of_name(parts[3])
                self.assertIn(block, region_blocks(region))
                self.assertEqual(v.tile_box, block + block)
                blocks_outside_default += block not in DEFAULT_BLOCKS
        self.assertGreater(blocks_outside_default, 0)

    def test_skyvane_app_from_its_zip_prints_its_arguments(self):
        with zipfile.ZipFile(os.path.join(self.root, "skyvane11_r2", "Skyvane.app.zip")) as archive:
            info = archive.getinfo("Skyvane.app")
            target = os.path.join(self.tmp, "Skyvane.app")
            with open(target, "wb") as f:
                f.write(archive.read(info))
        os.chmod(target, (info.external_attr >> 16) & 0o777)
        self.assertTrue(os.stat(target).st_mode & stat.S_IXUSR)
        result = subprocess.run([target, "--fly", "two words"], capture_output=True, text=True,
                                check=True)
        self.assertIn("release 2 started with 2 argument(s)", result.stdout)
        self.assertIn("[two words]", result.stdout)


class SampleProductTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="sample_product_test_")
        self.addCleanup(shutil.rmtree, self.tmp)

    def test_same_options_give_the_same_tree(self):
        for options in ([], ["--version", "2"], ["--demo"]):
            with self.subTest(options=options):
                a, b = (os.path.join(self.tmp, n + "".join(options)) for n in "ab")
                generate(a, *options)
                generate(b, *options)
                self.assertEqual(tree_digest(a), tree_digest(b))

    def test_release_two_keeps_dates_of_unchanged_files(self):
        one, two = os.path.join(self.tmp, "one"), os.path.join(self.tmp, "two")
        generate(one)
        generate(two, "--version", "2")
        d1, d2 = tree_digest(one), tree_digest(two)
        same = [p for p in d1 if p in d2 and d1[p][1] == d2[p][1]]
        self.assertGreater(len(same), 200)
        for path in same:
            self.assertEqual(d1[path], d2[path], path)

    def test_demo_is_small(self):
        demo = os.path.join(self.tmp, "demo")
        generate(demo, "--demo")
        self.assertEqual(len(os.listdir(os.path.join(demo, ORBIT))), 10)
        blocks = {p.split("/")[3] for p in product_paths(demo)
                  if p.startswith("Global Scenery/") and "Earth nav data" in p}
        self.assertEqual(len(blocks), 1)

    def test_size_option_adds_mixed_bulk_data_alike_in_both_releases(self):
        big, big2 = os.path.join(self.tmp, "big"), os.path.join(self.tmp, "big2")
        generate(big, "--size-mb", "6")
        generate(big2, "--size-mb", "6", "--version", "2")
        bulk = sorted(p for p in product_paths(big) if p.startswith("Resources/bulk data/"))
        self.assertGreaterEqual(sum(os.path.getsize(os.path.join(big, p)) for p in bulk),
                                6 * 1000 * 1000)
        d1, d2 = tree_digest(big), tree_digest(big2)
        self.assertEqual([d1[p] for p in bulk], [d2[p] for p in bulk])
        ratios = []
        for path in bulk:
            with open(os.path.join(big, path), "rb") as f:
                data = f.read(1 << 20)
            ratios.append(len(zlib.compress(data)) / len(data))
        self.assertTrue(any(r < 0.5 for r in ratios), ratios)
        self.assertTrue(any(r > 0.99 for r in ratios), ratios)

    def test_refuses_to_overwrite_without_asking(self):
        out = os.path.join(self.tmp, "used")
        os.makedirs(out)
        open(os.path.join(out, "keep"), "w").close()
        with contextlib.redirect_stderr(io.StringIO()):
            self.assertEqual(make_sample_product.main([out]), 1)
        self.assertTrue(os.path.exists(os.path.join(out, "keep")))


if __name__ == "__main__":
    unittest.main()
