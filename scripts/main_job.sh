#!/usr/bin/env bash
# Fresh Debian 12 machine to the installer's main job: dependencies, build, the sample release
# served by two local nginx mirrors (one of them also the lookup server), then the update flow
# run unattended on a new folder. Everything stays on 127.0.0.1.
#
# usage: main_job.sh [extra installer options...]     e.g. --on_modified=replace
# WORK_DIR (default build/main_job) holds the release, the servers' files and the installation.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
work=${WORK_DIR:-$build/main_job}

"$top/scripts/install_deps.sh"
BUILD_DIR=$build "$top/scripts/build.sh"

rm -rf "$work"
mkdir -p "$work/mirror" "$work/config" "$work/desktop"
run_dir=$work/nginx
stop_servers() { "$top/scripts/nginx_mirrors.sh" stop "$run_dir" || true; }
trap stop_servers EXIT

# The servers come first: the release names its mirrors by port.
mapfile -t ports < <("$top/scripts/nginx_mirrors.sh" start "$run_dir" "$work/mirror" --count 2)
[ ${#ports[@]} -ge 2 ] || { echo "main_job: the mirrors did not start" >&2; exit 1; }
mirrors=()
for p in "${ports[@]}"; do mirrors+=(--mirror "127.0.0.1:$p/"); done
echo "Mirrors on 127.0.0.1 ports ${ports[*]}; lookup server on ${ports[0]}"
"$top/tools/make_sample_release.sh" "$work/products" "$work/mirror" "${mirrors[@]}"

dest="$work/Skyvane 11/"
echo "Updating the new folder $dest"
status=0
# A private preferences folder keeps the user's installation registry and settings untouched.
XDG_CONFIG_HOME=$work/config XDG_DESKTOP_DIR=$work/desktop \
  "$build/skyvane-installer" -path "$dest" --unattended --lookup_host="127.0.0.1:${ports[0]}" \
  --log_path="$work/Skyvane Installer Log.txt" "$@" || status=$?
echo "Installer exit status: $status"
echo "Files installed: $(find "$dest" -type f 2>/dev/null | wc -l)"
exit "$status"
