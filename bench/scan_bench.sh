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

# "wall,cpu" seconds of one run of a command; cpu is the user and system time of the command and
# its children, which does not depend on what else the machine runs.
time_of() {
	local TIMEFORMAT='%R %U %S' t
	t=$({ time "$@" > /dev/null 2>&1; } 2>&1)
	awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.3f,%.3f", a[1], a[2] + a[3] }'
}
run_md5sum() { (cd "$1" && find . -type f -print0 | xargs -0 md5sum); }
# Two md5sum processes side by side: what two hashing threads can gain on this machine now.
# The files are dealt largest first to the lighter half (one name a line: these products hold
# no newline in a name).
split_halves() {
	(cd "$1" && find . -type f -printf '%s %p\n') | sort -rn | awk -v a="$2" -v b="$3" '{
		size = $1; sub(/^[0-9]+ /, "")
		if (sa <= sb) { print > a; sa += size } else { print > b; sb += size } }'
}
run_md5sum_two() {
	(cd "$1" && { xargs -d '\n' md5sum < "$2" & xargs -d '\n' md5sum < "$3"; wait; })
}
run_scan() { "$driver" "$1" --frame-ms="$frame_ms" "${@:2}"; }
min_of() { printf '%s\n' "$@" | sort -t, -k1 -g | head -1; }  # the shortest wall time

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
ceilings=()
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
	local two_times=()
	warm "$dir"
	local half_a half_b
	half_a=$(mktemp) half_b=$(mktemp)
	split_halves "$dir" "$half_a" "$half_b"
	for _ in $(seq 1 "$runs"); do two_times+=("$(time_of run_md5sum_two "$dir" "$half_a" "$half_b")"); done
	rm -f "$half_a" "$half_b"
	rows+=("$name $files $mb warm $(min_of "${md5_times[@]}") $(min_of "${scan_times[@]}") $agree")
	ceilings+=("$name $(min_of "${md5_times[@]}") $(min_of "${two_times[@]}")")

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

printf '\n%-7s %5s %7s %5s | %8s %7s %7s | %8s %7s %7s | %6s %s\n' product files MB cache \
	"md5sum s" "cpu s" "MB/s" "scan s" "cpu s" "MB/s" ratio sums
for r in "${rows[@]}"; do
	read -r name files mb cache m s agree <<< "$r"
	awk -v n="$name" -v f="$files" -v mb="$mb" -v c="$cache" -v m="$m" -v s="$s" -v a="$agree" 'BEGIN {
		split(m, mm, ","); split(s, ss, ",")
		printf "%-7s %5d %7.1f %5s | %8.3f %7.3f %7.1f | %8.3f %7.3f %7.1f | %5.2fx %s\n", n, f, mb, c,
			mm[1], mm[2], mb / mm[1], ss[1], ss[2], mb / ss[1], mm[1] / ss[1], a }'
done
for c in "${ceilings[@]}"; do
	read -r name m t <<< "$c"
	awk -v n="$name" -v m="$m" -v t="$t" 'BEGIN { split(m, mm, ","); split(t, tt, ",")
		printf "%s, warm: two md5sum processes side by side take %.3f s, %.2fx one md5sum (the most two hashing threads can gain here now)\n", n, tt[1], mm[1] / tt[1] }'
done
[ -z "$manifest_line" ] || echo "sample against its release manifest: ${manifest_line#bench_scan: }"
echo "ratio = md5sum wall time / scan wall time (above 1: the scan is faster); cpu = user + system seconds"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
