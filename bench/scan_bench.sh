#!/bin/bash
# Folder-scan throughput beside md5sum over the same files, with a warm and a cold file cache,
# on the sample product and on a generated product of at least 1 GB.
#
#   bench/scan_bench.sh [BUILD_DIR] [WORK_DIR]
#
# BUILD_DIR holds bench/bench_scan (default: build); WORK_DIR receives the products (default:
# /tmp/skyvane_scan_bench; kept between runs). FRAME_MS (default 1) is the pause between two
# calls of the scan; the installer calls it once per 33 ms frame, which bounds how fast a
# product of many small files can go. RUNS (default 3) warm runs of each tool; the best counts.
#
# The scan drops from the cache the pages it has read (its reads keep the cache out of the way),
# so every warm scan is preceded by reading the files once with cat.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=${2:-/tmp/skyvane_scan_bench}
driver=$build/bench/bench_scan
frame_ms=${FRAME_MS:-1}
runs=${RUNS:-3}

[ -x "$driver" ] || { echo "no $driver: build the bench_scan target first" >&2; exit 1; }
mkdir -p "$work"

now_ns() { date +%s%N; }
files_of() { find "$1" -type f -print0; }
warm() { files_of "$1" | xargs -0 cat > /dev/null; }
can_drop=0
if (sync && echo 3 > /proc/sys/vm/drop_caches) 2> /dev/null; then can_drop=1; fi
drop() { sync; echo 3 > /proc/sys/vm/drop_caches; }

# Seconds (as text) taken by one run of a command.
time_of() {
	local t0 t1
	t0=$(now_ns)
	"$@" > /dev/null
	t1=$(now_ns)
	awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'
}
run_md5sum() { (cd "$1" && find . -type f -print0 | xargs -0 md5sum); }
run_scan() { "$driver" "$1" --frame-ms="$frame_ms" "${@:2}"; }
min_of() { printf '%s\n' "$@" | sort -g | head -1; }

make_product() {
	local dir=$1 size_mb=$2
	[ -d "$dir" ] && return
	if [ -f "$root/tools/make_sample_product.py" ]; then
		if [ "$size_mb" -gt 0 ]; then
			python3 "$root/tools/make_sample_product.py" --size-mb "$size_mb" "$dir" > /dev/null
		else
			python3 "$root/tools/make_sample_product.py" "$dir" > /dev/null
		fi
	else
		# No product generator: incompressible files of 32 MB, plus a few small ones.
		mkdir -p "$dir/bulk" "$dir/small"
		local n=$(((size_mb > 0 ? size_mb : 4) / 32 + 1))
		for i in $(seq 1 "$n"); do head -c 33554432 /dev/urandom > "$dir/bulk/bulk $i.bin"; done
		for i in $(seq 1 200); do head -c $((i * 97)) /dev/urandom > "$dir/small/f$i.dat"; done
	fi
}

# The scan's checksums must be those md5sum prints.
check_sums() {
	local dir=$1 a b
	a=$(mktemp) b=$(mktemp)
	run_md5sum "$dir" | sed 's#  \./#  #' | sort > "$a"
	warm "$dir"
	run_scan "$dir" --sums-out="$b.raw" > /dev/null
	sort "$b.raw" > "$b"
	if cmp -s "$a" "$b"; then echo "agree"; else echo "DIFFER"; fi
	rm -f "$a" "$b" "$b.raw"
}

rows=()
bench_product() {
	local name=$1 dir=$2 bytes files mb agree
	bytes=$(find "$dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
	files=$(find "$dir" -type f | wc -l)
	mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
	agree=$(check_sums "$dir")

	local md5_times=() scan_times=()
	warm "$dir"
	run_md5sum "$dir" > /dev/null  # once first
	for _ in $(seq 1 "$runs"); do md5_times+=("$(time_of run_md5sum "$dir")"); done
	for _ in $(seq 1 "$runs"); do
		warm "$dir"
		scan_times+=("$(time_of run_scan "$dir")")
	done
	rows+=("$name $files $mb warm $(min_of "${md5_times[@]}") $(min_of "${scan_times[@]}") $agree")

	if [ "$can_drop" = 1 ]; then
		drop
		local m s
		m=$(time_of run_md5sum "$dir")
		drop
		s=$(time_of run_scan "$dir")
		rows+=("$name $files $mb cold $m $s $agree")
	fi
}

make_product "$work/sample" 0
make_product "$work/big" 1100

# The sample checked against the manifest the release builder writes for it.
manifest_line=""
if [ -f "$root/tools/make_release.py" ]; then
	[ -f "$work/release/scan_bench/directory.txt" ] ||
		python3 "$root/tools/make_release.py" --install-name scan_bench --overwrite "$work/sample" "$work/release" > /dev/null
	manifest_line=$(run_scan "$work/sample" --manifest="$work/release/scan_bench/directory.txt" | grep '^bench_scan:')
fi

echo "machine: $(nproc) logical processors; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "scan: $driver, ${frame_ms} ms between calls; warm figures are the best of $runs runs"
bench_product sample "$work/sample"
bench_product big "$work/big"
[ "$can_drop" = 1 ] || echo "cold cache: not measured (writing /proc/sys/vm/drop_caches is not permitted here)"

printf '\n%-7s %6s %9s %5s %10s %10s %10s %10s %7s %s\n' product files MB cache "md5sum s" "md5sum MB/s" "scan s" "scan MB/s" ratio sums
for r in "${rows[@]}"; do
	read -r name files mb cache m s agree <<< "$r"
	awk -v n="$name" -v f="$files" -v mb="$mb" -v c="$cache" -v m="$m" -v s="$s" -v a="$agree" 'BEGIN {
		printf "%-7s %6d %9.1f %5s %10.3f %11.1f %10.3f %10.1f %6.2fx %s\n", n, f, mb, c, m, mb / m, s, mb / s, m / s, a }'
done
[ -z "$manifest_line" ] || echo "sample against its release manifest: ${manifest_line#bench_scan: }"
echo "ratio = md5sum time / scan time (above 1: the scan is faster)"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
