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
CACHE=${KASANEMI_BENCH_CACHE:-/tmp/kasanemi-bench}
GEN="$(dirname "$0")/../../../shared/tools/gen_dxf.py"
mkdir -p "$CACHE"
[ -f "$CACHE/big.dxf" ] || /usr/bin/python3 "$GEN" --layers 500 --entities 200000 --seed 2 --version R2018 --out "$CACHE/big.dxf"
[ -f "$CACHE/layers2000.dxf" ] || /usr/bin/python3 "$GEN" --layers 2000 --entities 4000 --seed 3 --version R2018 --out "$CACHE/layers2000.dxf"
cmake --build "$BUILD" --target host_start_bench kasanemi-cad >/dev/null
QT_QPA_PLATFORM=offscreen dbus-run-session -- "$BUILD/bench/host_start_bench" --rounds "$ROUNDS" $WORK \
    "$CACHE/big.dxf" "$CACHE/layers2000.dxf"
