#!/usr/bin/env bash
# Builds the sample releases the demo and the tests serve:
#   WORK_DIR/product_r1, WORK_DIR/product_r2    the generated products
#   MIRROR_ROOT/skyvane11_r1/                   release 1
#   MIRROR_ROOT/skyvane11_r2/                   release 2, with release 1 as its previous
#                                               release (history and GONE lines)
#   MIRROR_ROOT/_lookup_11_/server_list_11.txt  FULL = release 1, BETA = FINAL = release 2
# so a full install brings release 1 and the update that follows it release 2.
# One folder serves as lookup server and as every mirror (mirror paths "/").
#
# usage: make_sample_release.sh WORK_DIR MIRROR_ROOT [--mirror HOST:PORT/PATH/]...
#                               [--size-mb N] [--demo]
# Default mirror: 127.0.0.1:8080/.
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 2 ]; then
  sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
work=$1 root=$2
shift 2
mirrors=() product_opts=()
while [ $# -gt 0 ]; do
  case $1 in
    --mirror) mirrors+=(--mirror "$2"); shift 2 ;;
    --size-mb) product_opts+=(--size-mb "$2"); shift 2 ;;
    --demo) product_opts+=(--demo); shift ;;
    *) echo "make_sample_release: unknown option $1" >&2; exit 2 ;;
  esac
done
[ ${#mirrors[@]} -gt 0 ] || mirrors=(--mirror 127.0.0.1:8080/)

r1=skyvane11_r1 r2=skyvane11_r2
rules=(
  --stored 'Instructions/*'
  --per-folder 'Resources/bitmaps/Earth Orbit Textures/*'
  --per-folder 'Resources/sounds/*'
  --per-folder 'Global Scenery/*/Earth nav data/*'
  --os 'LIN=Resources/plugins/lin_x64/*'
  --os 'IBM=Resources/plugins/win_x64/*'
  --os 'APL=Resources/plugins/mac_x64/*'
  --regional 'Global Scenery/Regional Detail/*'
  --global 'Resources/global extras/*'
)
mkdir -p "$work" "$root"
python3 "$tools/make_sample_product.py" "$work/product_r1" --overwrite "${product_opts[@]}"
python3 "$tools/make_sample_product.py" "$work/product_r2" --overwrite --version 2 "${product_opts[@]}"
python3 "$tools/make_release.py" "$work/product_r1" "$root" --install-name "$r1" --overwrite \
  "${rules[@]}" "${mirrors[@]}"
python3 "$tools/make_release.py" "$work/product_r2" "$root" --install-name "$r2" --overwrite \
  --previous "$root/$r1" --full-name "$r1" "${rules[@]}" "${mirrors[@]}"
