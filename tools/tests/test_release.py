"""Release builder: manifest lines, download names, zip entries, history and
GONE lines, the zipped manifest and the server list, checked against an
independent reading of the product and the release."""

import contextlib
import hashlib
import io
import os
import shutil
import stat
import tempfile
import time
import unittest
import zipfile

from tree_helpers import (DIR_LINE, FILE_LINE, Link, local_md5, make_tree,
                          manifest_lines, single, tree_digest)

import make_release
from manifest_format import (HEADER, ManifestError, format_kb, kb_to_bytes_floor,
                             read_manifest, write_manifest, FileVersion)
from server_list_format import ServerListError, read_server_list

SCRIPT = b"#!/bin/sh\necho \"$@\"\n"
TEXT = b"".join(b"line %05d of a compressible text file\n" % n for n in range(3000))

PRODUCT = {
    "Skyvane.app": (SCRIPT, 0o755),
    "read only.txt": (b"frozen\n", 0o444),
    "empty.txt": b"",
    "top.dat": b"top level\n",
    "Docs/Guide.html": b"<p>guide</p>\n",
    "Docs/run.sh": (SCRIPT, 0o755),
    "Res/big.txt": TEXT,
    "Res/tex/a.png": b"\x89PNG a",
    "Res/tex/b b.png": b"\x89PNG b b",
    "Res/tex/  lead.png": b"leading blanks",
    "Res/tex/link.png": Link("a.png"),
    "Res/tex/sub/deep.png": b"deep",
    "Res/dirlink": Link("tex"),
    "Plugins/lin/p.so": b"elf",
    "Plugins/win/p.dll": b"pe",
    "Extras/regional.dat": b"r",
    "Extras/global.dat": b"g",
    "Extras/both.dat": b"rg",
    "Global Scenery/Pack A/Earth nav data/+30-090/+35-085.dsf": b"tile 1",
    "Global Scenery/Pack A/Earth nav data/-10+020/-05+025.dsf": b"tile 2",
    "Global Scenery/Pack A/readme.txt": b"pack a",
    "Global Scenery/Pack B/readme.txt": b"pack b",
    "Global Scenery/top.txt": b"all scenery",
    "Ünïcode/naïve.txt": b"utf-8 names",
}

RULES = make_release.Rules(
    stored=["Docs/*"], per_folder=["Res/tex/*", "top*"],
    os_rules=[(3, "Plugins/lin/*"), (2, "Plugins/win/*")],
    regional=["Extras/regional.dat", "Extras/both.dat"],
    global_=["Extras/global.dat", "Extras/both.dat"])

MIRRORS = ["127.0.0.1:18081/", "localhost:18082/mirror two/"]
WHOLE = (0, 0, 35, 17)


def build(product, out, name="rel", previous=None, **kw):
    kw.setdefault("rules", RULES)
    return make_release.build_release(product, out, name, previous, **kw)


def current_versions(manifest_bytes):
    return {h[-1].path: h[-1] for h in read_manifest(manifest_bytes)}


class Workspace(unittest.TestCase):
    """One temporary folder per test class."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="release_test_")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)


class ReleaseLayoutTest(Workspace):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.product = os.path.join(cls.tmp, "product")
        make_tree(cls.product, PRODUCT)
        cls.out = os.path.join(cls.tmp, "out")
        cls.summary = build(cls.product, cls.out, mirrors=MIRRORS,
                            labels=["First"], beta="b 1", final="f1", full="full1")
        cls.rel = os.path.join(cls.out, "rel")
        with open(os.path.join(cls.rel, "directory.txt"), "rb") as f:
            cls.manifest = f.read()
        cls.current = current_versions(cls.manifest)

    def test_every_line_has_the_format(self):
        self.assertTrue(self.manifest.startswith(HEADER))
        for line in manifest_lines(self.manifest):
            if line:
                self.assertTrue(FILE_LINE.match(line) or DIR_LINE.match(line), line)
        self.assertTrue(self.manifest.endswith(b"\n"))

    def test_reads_back_as_the_product(self):
        product_paths = sorted(p for p in PRODUCT)
        self.assertEqual(sorted(self.current), product_paths)
        for path, v in self.current.items():
            with self.subTest(path=path):
                source = os.path.join(self.product, path)
                self.assertEqual(v.sig, local_md5(source))
                size = os.lstat(source).st_size
                self.assertGreaterEqual(single(v.installed_text) * 1000, size)
                self.assertLess(kb_to_bytes_floor(v.installed_text) - size, 64)
                self.assertGreaterEqual(v.disk_kb * 1000, size)
                self.assertEqual(v.disk_kb % 4, 0)
                self.assertEqual(v.disk_kb == 0, size == 0)
                self.assertEqual(v.aux, 0)

    def test_flags_and_tile_boxes(self):
        cases = [  # path, flags, box
            ("Skyvane.app", 0x40, (0, 0, 0, 0)),
            ("Docs/Guide.html", 0x00, (0, 0, 0, 0)),
            ("Docs/run.sh", 0x40, (0, 0, 0, 0)),      # executable: never stored
            ("top.dat", 0x40, (0, 0, 0, 0)),          # top folder: no folder zip
            ("Res/tex/a.png", 0xC0, (0, 0, 0, 0)),
            ("Res/tex/link.png", 0xC0, (0, 0, 0, 0)),
            ("Res/tex/sub/deep.png", 0xC0, (0, 0, 0, 0)),
            ("Res/dirlink", 0x40, (0, 0, 0, 0)),
            ("Plugins/lin/p.so", 0x43, (0, 0, 0, 0)),
            ("Plugins/win/p.dll", 0x42, (0, 0, 0, 0)),
            ("Extras/regional.dat", 0x50, (0, 0, 0, 0)),
            ("Extras/global.dat", 0x60, (0, 0, 0, 0)),
            ("Extras/both.dat", 0x70, (0, 0, 0, 0)),
            ("Global Scenery/Pack A/Earth nav data/+30-090/+35-085.dsf", 0x48, (9, 12, 9, 12)),
            ("Global Scenery/Pack A/Earth nav data/-10+020/-05+025.dsf", 0x48, (20, 8, 20, 8)),
            ("Global Scenery/Pack A/readme.txt", 0x48, (9, 8, 20, 12)),
            ("Global Scenery/Pack B/readme.txt", 0x48, WHOLE),
            ("Global Scenery/top.txt", 0x48, WHOLE),
        ]
        for path, flags, box in cases:
            with self.subTest(path=path):
                self.assertEqual((self.current[path].flags, self.current[path].tile_box), (flags, box))

    def test_downloads_exist_with_announced_sizes(self):
        names = {
            "Docs/Guide.html": "Docs/Guide.html",
            "Skyvane.app": "Skyvane.app.zip",
            "Res/tex/b b.png": "Res/tex.zip",
            "Res/tex/sub/deep.png": "Res/tex/sub.zip",
            "Ünïcode/naïve.txt": "Ünïcode/naïve.txt.zip",
        }
        for path, name in names.items():
            self.assertTrue(os.path.isfile(os.path.join(self.rel, name)), name)
        by_download = {}
        for path, v in self.current.items():
            name = make_release.download_name(path, v.compression)
            by_download.setdefault(name, []).append(v)
        for name, versions in by_download.items():
            with self.subTest(download=name):
                size = os.path.getsize(os.path.join(self.rel, name))
                announced = sum(kb_to_bytes_floor(v.download_text) for v in versions)
                self.assertGreaterEqual(announced, size)
                self.assertLess(announced - size, 64 * len(versions))
                for v in versions:
                    self.assertGreaterEqual(single(v.download_text) * 1000,
                                            kb_to_bytes_floor(v.download_text) - 1)
        self.assertEqual(self.summary["downloads"], len(by_download))

    def test_stored_download_is_the_file(self):
        with open(os.path.join(self.rel, "Docs/Guide.html"), "rb") as f:
            self.assertEqual(f.read(), PRODUCT["Docs/Guide.html"])

    def test_zip_entries_carry_name_mode_date_and_content(self):
        modes = {"Skyvane.app": 0o100755, "read only.txt": 0o100644, "Docs/run.sh": 0o100755,
                 "Res/tex/link.png": 0o120777, "Res/dirlink": 0o120777}
        for path, v in self.current.items():
            if v.compression == 0:
                continue
            with self.subTest(path=path):
                name = path.rsplit("/", 1)[-1]
                with zipfile.ZipFile(os.path.join(self.rel, make_release.download_name(
                        path, v.compression))) as archive:
                    info = archive.getinfo(name)
                    data = archive.read(info)
                mode = info.external_attr >> 16
                self.assertEqual(mode, modes.get(path, 0o100644))
                self.assertEqual(stat.S_ISLNK(mode), (mode & 0xA000) == 0xA000)
                mtime = os.lstat(os.path.join(self.product, path)).st_mtime
                self.assertEqual(info.date_time, time.localtime(mtime)[:6])
                self.assertEqual(hashlib.md5(data).hexdigest(), v.sig)
        with zipfile.ZipFile(os.path.join(self.rel, "Res/tex.zip")) as archive:
            self.assertEqual(archive.read("link.png"), b"a.png")

    def test_folder_zip_holds_exactly_its_folder_and_lines_are_consecutive(self):
        with zipfile.ZipFile(os.path.join(self.rel, "Res/tex.zip")) as archive:
            self.assertEqual(sorted(archive.namelist()),
                             sorted(["a.png", "b b.png", "  lead.png", "link.png"]))
        with zipfile.ZipFile(os.path.join(self.rel, "Res/tex/sub.zip")) as archive:
            self.assertEqual(archive.namelist(), ["deep.png"])
        # The installer groups a folder zip's files only while they follow each other.
        order = [h[-1] for h in read_manifest(self.manifest)]
        folders = [v.path.rsplit("/", 1)[0] for v in order if v.compression == 0xC0]
        runs = [f for n, f in enumerate(folders) if n == 0 or folders[n - 1] != f]
        self.assertEqual(len(runs), len(set(runs)))

    def test_zipped_manifest_holds_directory_txt(self):
        with zipfile.ZipFile(os.path.join(self.rel, "directory.txt.zip")) as archive:
            self.assertEqual(archive.namelist(), ["directory.txt"])
            self.assertEqual(archive.read("directory.txt"), self.manifest)
            self.assertEqual(archive.getinfo("directory.txt").external_attr >> 16, 0o100644)

    def test_server_list_text_and_reading(self):
        with open(os.path.join(self.out, "_lookup_11_", "server_list_11.txt"), "rb") as f:
            data = f.read()
        self.assertEqual(data, (
            b"I\n1100 version\nSERVERS\n\nBETA b 1\nFINAL f1\nFULL full1\n\n"
            b"SERVER 127.0.0.1:18081\n/\nFirst\n"
            b"SERVER localhost:18082\n/mirror two/\nMirror 2\nENDOFLIST\n"))
        fields, servers = read_server_list(data)
        self.assertEqual(fields, {"BETA": "b 1", "FINAL": "f1", "FULL": "full1"})
        self.assertEqual([(s.host, s.path, s.name) for s in servers],
                         [("127.0.0.1:18081", "/", "First"),
                          ("localhost:18082", "/mirror two/", "Mirror 2")])

    def test_same_input_gives_same_bytes(self):
        again = os.path.join(self.tmp, "again")
        build(self.product, again, mirrors=MIRRORS, labels=["First"],
              beta="b 1", final="f1", full="full1")
        self.assertEqual(tree_digest(again, meta=False), tree_digest(self.out, meta=False))


class HistoryTest(Workspace):
    """Three releases: r2 built on r1, r3 built on r2."""

    R1 = {"keep.txt": b"k", "change.txt": b"c1", "revert.txt": b"v1", "gone.txt": b"g1",
          "back.txt": b"b1", "cur": Link("keep.txt"),
          "Global Scenery/P/Earth nav data/+30-090/+30-090.dsf": b"t"}
    R2 = {"keep.txt": b"k", "change.txt": b"c2", "revert.txt": b"v2", "cur": Link("change.txt")}
    R3 = {"keep.txt": b"k", "change.txt": b"c3", "revert.txt": b"v1", "cur": Link("change.txt"),
          "back.txt": b"b3"}

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.manifests = {}
        previous = None
        for name, layout in (("r1", cls.R1), ("r2", cls.R2), ("r3", cls.R3)):
            product = os.path.join(cls.tmp, "p" + name)
            make_tree(product, layout)
            build(product, cls.tmp, name, previous)
            previous = os.path.join(cls.tmp, name)
            with open(os.path.join(previous, "directory.txt"), "rb") as f:
                cls.manifests[name] = f.read()

    @staticmethod
    def md5(data):
        return hashlib.md5(data).hexdigest()

    def sigs(self, release):
        histories = read_manifest(self.manifests[release])
        paths = [h[-1].path for h in histories]
        self.assertEqual(len(paths), len(set(paths)), "a path split into two histories")
        return {h[-1].path: [v.sig for v in h] for h in histories}

    def test_versions_per_path(self):
        m = self.md5
        tile = "Global Scenery/P/Earth nav data/+30-090/+30-090.dsf"
        cases = [  # release, path, expected checksums oldest first
            ("r2", "keep.txt", [m(b"k")]),
            ("r2", "change.txt", [m(b"c1"), m(b"c2")]),
            ("r2", "gone.txt", [m(b"g1"), "GONE"]),
            ("r2", tile, [m(b"t"), "GONE"]),
            ("r2", "cur", [m(b"keep.txt"), m(b"change.txt")]),
            ("r3", "keep.txt", [m(b"k")]),
            ("r3", "change.txt", [m(b"c1"), m(b"c2"), m(b"c3")]),
            ("r3", "revert.txt", [m(b"v2"), m(b"v1")]),
            ("r3", "gone.txt", [m(b"g1"), "GONE"]),
            ("r3", "back.txt", [m(b"b1"), m(b"b3")]),
            ("r3", "cur", [m(b"keep.txt"), m(b"change.txt")]),
        ]
        for release, path, expected in cases:
            with self.subTest(release=release, path=path):
                self.assertEqual(self.sigs(release)[path], expected)

    def test_gone_line_keeps_flags_and_box_of_the_removed_file(self):
        tile = "Global Scenery/P/Earth nav data/+30-090/+30-090.dsf"
        for release in ("r2", "r3"):
            gone = {h[-1].path: h for h in read_manifest(self.manifests[release])}[tile]
            self.assertEqual([(v.flags, v.tile_box) for v in gone], [(0x48, (9, 12, 9, 12))] * 2)
            self.assertEqual((gone[-1].download_text, gone[-1].installed_text), ("0.000", "0.000"))

    def test_previous_given_as_folder_manifest_or_zip(self):
        product = os.path.join(self.tmp, "pr2")
        expected = self.manifests["r2"]
        for n, previous in enumerate(["r1", "r1/directory.txt", "r1/directory.txt.zip"]):
            with self.subTest(previous=previous):
                out = os.path.join(self.tmp, "again%d" % n)
                build(product, out, "r2", os.path.join(self.tmp, previous))
                with open(os.path.join(out, "r2", "directory.txt"), "rb") as f:
                    self.assertEqual(f.read(), expected)


class RefusalTest(Workspace):
    def test_refused_products(self):
        cases = [  # name, product, rules, message part
            ("stored name clashes with folder zip",
             {"a/b.zip": b"1", "a/b/c.txt": b"2"},
             make_release.Rules(stored=["a/b.zip"], per_folder=["a/b/*"]), "clashes"),
            ("download inside another download",
             {"x": b"1", "x.zip/y": b"2"}, make_release.Rules(), "inside"),
            ("product file named like the zipped manifest",
             {"directory.txt": b"1"}, make_release.Rules(), "manifest"),
            ("leading blank", {" top.txt": b"1"}, make_release.Rules(), "blank"),
            ("backslash", {"a\\b.txt": b"1"}, make_release.Rules(), "'\\'"),
            ("line break", {"a\nb.txt": b"1"}, make_release.Rules(), "control"),
            ("link leaving the product", {"d/l": Link("../../x")}, make_release.Rules(), "outside"),
            ("absolute link", {"l": Link("/etc/hostname")}, make_release.Rules(), "absolute"),
        ]
        for n, (name, layout, rules, message) in enumerate(cases):
            with self.subTest(case=name):
                product = os.path.join(self.tmp, "bad%d" % n)
                make_tree(product, layout)
                out = os.path.join(self.tmp, "out%d" % n)
                with self.assertRaises(ManifestError) as caught:
                    build(product, out, rules=rules)
                self.assertIn(message, str(caught.exception))
                self.assertFalse(os.path.exists(os.path.join(out, "rel")))

    def test_existing_release_needs_overwrite(self):
        product = os.path.join(self.tmp, "ok")
        make_tree(product, {"a.txt": b"1"})
        out = os.path.join(self.tmp, "ow")
        build(product, out)
        with self.assertRaises(ManifestError):
            build(product, out)
        build(product, out, overwrite=True)

    def test_bad_mirror_and_install_name(self):
        product = os.path.join(self.tmp, "ok2")
        make_tree(product, {"a.txt": b"1"})
        for mirror in ("127.0.0.1:8080", "/path/", "host/no-slash-end"):
            with self.subTest(mirror=mirror), self.assertRaises(ServerListError):
                build(product, os.path.join(self.tmp, "m"), mirrors=[mirror])
        for name in ("", "a/b", "_lookup_11_", " padded"):
            with self.subTest(name=name), self.assertRaises(ManifestError):
                build(product, os.path.join(self.tmp, "n"), name)

    def test_command_line_reports_failure(self):
        product = os.path.join(self.tmp, "cli")
        make_tree(product, {" bad": b"1"})
        errors = io.StringIO()
        with contextlib.redirect_stderr(errors):
            status = make_release.main([product, os.path.join(self.tmp, "c"), "--install-name", "x"])
        self.assertEqual(status, 1)
        self.assertIn("starts with a blank", errors.getvalue())


class FormatTest(unittest.TestCase):
    def test_sizes_cover_the_bytes_in_single_precision(self):
        for n in (0, 1, 120, 121, 999, 1000, 4096, 65535, 10 ** 6 + 1, 123456789, 1234567891):
            with self.subTest(bytes=n):
                text = format_kb(n)
                self.assertRegex(text, r"^\d+\.\d{3}$")
                self.assertGreaterEqual(single(text) * 1000, n)
                self.assertLessEqual(kb_to_bytes_floor(text) - n, max(1, n // 10 ** 6 * 64))

    def test_installed_size_rounds_to_4k_blocks(self):
        for text, disk_kb in (("0", 0), ("0.000", 0), ("0.3", 4), ("4.0", 4), ("4.001", 8),
                              ("4096.000", 4096), ("4096.001", 4100)):
            with self.subTest(text=text):
                v = FileVersion(0, 0, (0, 0, 0, 0), "0", text, "x", "p")
                self.assertEqual(v.disk_kb, disk_kb)

    def test_dir_prefix_keeps_blanks_the_reader_would_drop(self):
        paths = ["a/  b.txt", "a/ b.txt", "a/b.txt ", "a/b c/d.txt", "e.txt"]
        histories = [[FileVersion(64, 0, (0, 0, 0, 0), "1.000", "1.000", "d" * 32, p)]
                     for p in paths]
        data = write_manifest(histories)
        self.assertEqual([h[-1].path for h in read_manifest(data)], paths)

    def test_reader_follows_installer_rules(self):
        data = (b"\xef\xbb\xbfA\n1100 Version\nINSTALLER\nDIR\nDISK 2\n"
                b"FILE 72 0 0 0 0 0 12.5 0.3 d41d8cd98f00b204e9800998ecf8427e Resources/a b.txt\n"
                b"FILE 64 0 0 0 0 0 1 1 d41d8cd98f00b204e9800998ecf8427e Resources/a b.txt\n"
                b"FILE 64 0 0 0 0 0 1 1 d41d8cd98f00b204e9800998ecf8427e other\n"
                b"FILE 64 0 0 0 0 0 1 1 d41d8cd98f00b204e9800998ecf8427e Resources/a b.txt\n")
        histories = read_manifest(data)
        self.assertEqual([len(h) for h in histories], [2, 1, 1])
        first = histories[0][0]
        self.assertEqual((first.compression, first.is_scenery, first.disk_kb, first.disk),
                         (0x40, 1, 4, -1))
        self.assertAlmostEqual(first.download_kb, 12.5)
        self.assertEqual(read_manifest(data, dvd=True)[0][0].disk, 2)
        for bad in (b"I\n1000\nINSTALLER\n", b"X\n1100\nINSTALLER\n", b"I\n1100\nSERVERS\n",
                    b"\xef\xbb\xbf", b""):
            with self.subTest(header=bad), self.assertRaises(ManifestError):
                read_manifest(bad)


if __name__ == "__main__":
    unittest.main()
