#!/bin/sh
# Host start to tiles shown against the host's own load and pictures, on the
# standard large drawing (501 layers with layer 0) and on a 2,001-layer one.
# The drawings are made once and cached outside the source tree. WORK_DIR
# puts the program folder (LAYER) and the reference's pictures on another
# file system (a tmpfs, a journalled ext4) to compare.
#   bench/host_start/run.sh [BUILD_DIR] [ROUNDS] [WORK_DIR]
set -e
BUILD=${1:-build}
ROUNDS=${2:-5}
WORK=${3:+--work $3}
. "$(dirname "$0")/../common/drawings.sh"
CACHE=$bench_cache
bench_drawing "$CACHE/big.dxf" 500 200000 2
bench_drawing "$CACHE/layers2000.dxf" 2000 4000 3
cmake --build "$BUILD" --target host_start_bench kasanemi-cad >/dev/null
QT_QPA_PLATFORM=offscreen dbus-run-session -- "$BUILD/bench/host_start_bench" --rounds "$ROUNDS" $WORK \
    "$CACHE/big.dxf" "$CACHE/layers2000.dxf"
