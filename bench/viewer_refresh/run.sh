#!/bin/sh
# Makes the two drawings once (cached outside the source tree), then runs the
# benchmark under a private session bus on the offscreen platform. WORK_DIR
# puts the program folder (LAYER) on another file system to compare.
#   bench/viewer_refresh/run.sh [BUILD_DIR] [WORK_DIR]
set -e
BUILD=${1:-build}
WORK=${2:+--work $2}
CACHE=${KASANEMI_BENCH_CACHE:-/tmp/kasanemi-bench}
GEN="$(dirname "$0")/../../../shared/tools/gen_dxf.py"
mkdir -p "$CACHE"
[ -f "$CACHE/big.dxf" ] || /usr/bin/python3 "$GEN" --layers 500 --entities 200000 --seed 2 --version R2018 --out "$CACHE/big.dxf"
[ -f "$CACHE/layers2000.dxf" ] || /usr/bin/python3 "$GEN" --layers 2000 --entities 4000 --seed 3 --version R2018 --out "$CACHE/layers2000.dxf"
QT_QPA_PLATFORM=offscreen dbus-run-session -- "$BUILD/bench/viewer_refresh_bench" $WORK "$CACHE/big.dxf" "$CACHE/layers2000.dxf"
