"""From a release's manifest, the same install done with stock tools: an aria2c input file that
fetches every download the installer would fetch (each from all mirrors), a shell script that
unpacks the archives into place, and an md5sum list of the installed files.

usage: install_plan_for_tools.py MANIFEST INSTALL_NAME DEST DL_DIR OUT_DIR MIRROR_URL...

The files chosen are those of a Linux install with every package and every scenery tile.
With PRODUCT_DIR set to the product folder, symbolic links are left out of the md5sum list
(the manifest sums a link's target text, md5sum the file it points to).
"""

import os
import shlex
import sys
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import manifest_format as mf  # noqa: E402


def download_name(v):
    if v.compression == mf.PER_FILE_ZIP:
        return v.path + ".zip"
    if v.compression == mf.SEVEN_ZIP:
        return v.path + ".7z"
    if v.compression == mf.PER_FOLDER_ZIP:
        return v.path.rsplit("/", 1)[0] + ".zip" if "/" in v.path else ".zip"
    return v.path


def main():
    if len(sys.argv) < 7:
        sys.exit(__doc__)
    manifest, install_name, dest, dl_dir, out_dir = sys.argv[1:6]
    mirrors = sys.argv[6:]
    with open(manifest, "rb") as f:
        histories = mf.read_manifest(f.read())
    downloads = {}  # name -> (compression, folder of its files)
    checks = []
    for h in histories:
        v = h[-1]
        if v.sig == mf.GONE or v.os not in (0, 3):
            continue
        name = download_name(v)
        folder = v.path.rsplit("/", 1)[0] + "/" if "/" in v.path else ""
        downloads.setdefault(name, (v.compression, folder))
        product = os.environ.get("PRODUCT_DIR")
        if not (product and os.path.islink(os.path.join(product, v.path))):
            checks.append("%s  %s\n" % (v.sig, v.path))

    with open(os.path.join(out_dir, "aria2_input.txt"), "w") as inp, \
            open(os.path.join(out_dir, "unpack.sh"), "w") as unpack:
        unpack.write("set -e\n")
        for name, (compression, folder) in downloads.items():
            quoted = urllib.parse.quote(install_name + "/" + name)
            inp.write("\t".join(m.rstrip("/") + "/" + quoted for m in mirrors) + "\n")
            if compression == mf.STORED:
                inp.write("  dir=%s\n  out=%s\n" % (dest, name))
                continue
            inp.write("  dir=%s\n  out=%s\n" % (dl_dir, name))
            target = shlex.quote(os.path.join(dest, folder))
            # unzip makes only the last folder of -d itself.
            unpack.write("mkdir -p %s\nunzip -o -qq %s -d %s\n" % (target, shlex.quote(os.path.join(dl_dir, name)),
                                                                   target))
    with open(os.path.join(out_dir, "md5_list.txt"), "w") as f:
        f.writelines(checks)
    print("%d downloads, %d files" % (len(downloads), len(checks)))


if __name__ == "__main__":
    main()
