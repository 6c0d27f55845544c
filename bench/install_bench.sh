#!/usr/bin/env bash
# A whole install of a generated release of about 1.1 GB (stored files, per-file zips and
# per-folder zips) from three nginx mirrors on loopback, done twice:
#   - by the installer's engine (bench_install: scan, plan, install_files once per frame);
#   - by stock tools: aria2c fetching every download from the three mirrors, unzip unpacking
#     the archives into place, md5sum -c checking every installed file.
# Prints wall time, CPU time (user + system) and peak memory of both side by side.
#
# usage: bench/install_bench.sh [--size-mb N] [--work DIR] [--build DIR] [--fps N]
#   --size-mb  bulk data of the release (default 1100); the release is kept in WORK between runs
#   --work     scratch folder (default $TMPDIR or /tmp, + /skyvane_install_bench)
#   --build    build folder for bench_install (default REPO/build-bench)
#   --fps      frames per second of the driver loop (default 30, as the application)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
size_mb=1100 work=${TMPDIR:-/tmp}/skyvane_install_bench build=$repo/build-bench fps=30
while [ $# -gt 0 ]; do
	case $1 in
	--size-mb) size_mb=$2; shift 2 ;;
	--work) work=$2; shift 2 ;;
	--build) build=$2; shift 2 ;;
	--fps) fps=$2; shift 2 ;;
	*) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
	esac
done
for tool in python3 nginx aria2c unzip md5sum cmake; do
	command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] || { echo "install_bench: $tool is missing" >&2; exit 1; }
done
# Loopback only, whatever the environment says about proxies.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
mkdir -p "$work"
work=$(cd "$work" && pwd)
name=skyvane11_bench

echo "== building bench_install in $build"
[ -f "$build/build.ninja" ] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_install -j1 >"$work/build.log" 2>&1 || { tail -30 "$work/build.log" >&2; exit 1; }

if [ "$(cat "$work/release.size" 2>/dev/null || true)" != "$size_mb" ]; then
	echo "== making a release with $size_mb MB of bulk data in $work"
	rm -f "$work/release.size"
	python3 "$repo/tools/make_sample_product.py" "$work/product" --overwrite --size-mb "$size_mb"
	python3 "$repo/tools/make_release.py" "$work/product" "$work/root" --install-name "$name" --overwrite \
		--stored 'Instructions/*' --stored 'Resources/bulk data/incompressible/*' \
		--per-folder 'Resources/bitmaps/Earth Orbit Textures/*' --per-folder 'Resources/sounds/*' \
		--per-folder 'Global Scenery/*/Earth nav data/*' \
		--os 'LIN=Resources/plugins/lin_x64/*' --os 'IBM=Resources/plugins/win_x64/*' \
		--os 'APL=Resources/plugins/mac_x64/*' \
		--regional 'Global Scenery/Regional Detail/*' --global 'Resources/global extras/*' \
		--mirror 127.0.0.1:8080/
	echo "$size_mb" >"$work/release.size"
fi
du -sh "$work/root/$name" | sed 's/^/release: /'

mirrors=()
stop_mirrors() { "$repo/scripts/nginx_mirrors.sh" stop "$work/nginx" || true; }
trap stop_mirrors EXIT
for port in $("$repo/scripts/nginx_mirrors.sh" start "$work/nginx" "$work/root" --count 3); do
	mirrors+=("127.0.0.1:$port/")
done
echo "mirrors: ${mirrors[*]}"

# measure LOG CMD...: runs CMD with its output into LOG; prints "wall cpu peak_mb status" of it
# and of everything it started.
measure() {
	python3 - "$@" <<'EOF'
import resource, subprocess, sys, time
t = time.monotonic()
with open(sys.argv[1], "w") as log:
    r = subprocess.run(sys.argv[2:], stdout=log, stderr=subprocess.STDOUT)
wall = time.monotonic() - t
u = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.2f %.2f %.1f %d" % (wall, u.ru_utime + u.ru_stime, u.ru_maxrss / 1024.0, r.returncode))
EOF
}

echo "== installer engine"
rm -rf "$work/ours"
mirror_args=()
for m in "${mirrors[@]}"; do mirror_args+=(--mirror "$m"); done
read -r o_wall o_cpu o_mem o_rc < <(measure "$work/ours_out.txt" "$build/bench/bench_install" \
	--manifest "$work/root/$name/directory.txt" --install-name "$name" --dest "$work/ours/" --fps "$fps" \
	--log "$work/ours_log.txt" "${mirror_args[@]}")
grep '^bench_install:' "$work/ours_out.txt" || { cat "$work/ours_out.txt"; exit 1; }
[ "$o_rc" = 0 ] || { echo "bench_install failed ($o_rc)"; tail -20 "$work/ours_out.txt"; exit 1; }

echo "== aria2c + unzip + md5sum"
rm -rf "$work/tools_dest" "$work/tools_dl"
mkdir -p "$work/tools_dest" "$work/tools_dl"
urls=()
for m in "${mirrors[@]}"; do urls+=("http://$m"); done
PRODUCT_DIR="$work/product" python3 "$repo/bench/install_plan_for_tools.py" "$work/root/$name/directory.txt" "$name" \
	"$work/tools_dest" "$work/tools_dl" "$work" "${urls[@]}"
# Every installed file is checked, ours too (not timed): both results must be whole.
(cd "$work/ours" && md5sum -c --quiet "$work/md5_list.txt") || { echo "our installation does not match"; exit 1; }
read -r a_wall a_cpu a_mem a_rc < <(measure "$work/aria2_out.txt" aria2c --input-file="$work/aria2_input.txt" --max-concurrent-downloads=6 \
	--split=3 --max-connection-per-server=2 --min-split-size=8M --file-allocation=none --allow-overwrite=true \
	--auto-file-renaming=false --console-log-level=error --summary-interval=0 --download-result=hide \
	--no-conf=true --all-proxy="")
read -r u_wall u_cpu u_mem u_rc < <(measure "$work/unzip_out.txt" bash "$work/unpack.sh")
read -r m_wall m_cpu m_mem m_rc < <(cd "$work/tools_dest" && measure "$work/md5sum_out.txt" md5sum -c --quiet "$work/md5_list.txt")
[ "$a_rc$u_rc$m_rc" = 000 ] || {
	echo "the tool chain failed: aria2c $a_rc, unzip $u_rc, md5sum $m_rc (logs in $work)"
	exit 1
}

python3 - "$o_wall" "$o_cpu" "$o_mem" "$a_wall" "$a_cpu" "$a_mem" "$u_wall" "$u_cpu" "$u_mem" \
	"$m_wall" "$m_cpu" "$m_mem" <<'EOF'
import sys
v = [float(x) for x in sys.argv[1:]]
ours, aria, unz, md5 = v[0:3], v[3:6], v[6:9], v[9:12]
chain = [aria[0] + unz[0] + md5[0], aria[1] + unz[1] + md5[1], max(aria[2], unz[2], md5[2])]
rows = [("installer engine", ours), ("aria2c", aria), ("unzip", unz), ("md5sum -c", md5),
        ("aria2c + unzip + md5sum", chain)]
print("%-26s %10s %10s %14s" % ("", "wall s", "cpu s", "peak RSS MB"))
for label, (w, c, m) in rows:
    print("%-26s %10.2f %10.2f %14.1f" % (label, w, c, m))
print("engine / tool chain wall time: %.2f" % (ours[0] / chain[0]))
EOF
