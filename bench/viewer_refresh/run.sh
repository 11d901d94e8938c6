#!/bin/sh
# Makes the two drawings once (cached outside the source tree), then runs the
# benchmark under a private session bus on the offscreen platform. WORK_DIR
# puts the program folder (LAYER) on another file system to compare.
#   bench/viewer_refresh/run.sh [BUILD_DIR] [WORK_DIR]
set -e
BUILD=${1:-build}
WORK=${2:+--work $2}
. "$(dirname "$0")/../common/drawings.sh"
CACHE=$bench_cache
bench_drawing "$CACHE/big.dxf" 500 200000 2
bench_drawing "$CACHE/layers2000.dxf" 2000 4000 3
QT_QPA_PLATFORM=offscreen dbus-run-session -- "$BUILD/bench/viewer_refresh_bench" $WORK "$CACHE/big.dxf" "$CACHE/layers2000.dxf"
