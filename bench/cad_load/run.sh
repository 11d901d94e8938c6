#!/bin/sh
# Drawing host load benchmark: our reader beside reading the file (cat),
# dxflib's parser and ezdxf on the standard large drawing (500 layers,
# 200,000 entities, about 40 MB), and --inspect at 4,000 and 40,000 layers,
# all measured in the same run (bench/cad_load/compare.py prints the figures).
#   bench/cad_load/run.sh [BUILD_DIR]     (default: build)
# The drawings are generated once into $KASANEMI_BENCH_CACHE (default
# /tmp/kasanemi-bench), outside the source tree; that takes about a minute.
# ROUNDS=n sets the rounds (default 5); KASANEMI_BENCH_NO_EZDXF=1 leaves ezdxf out;
# KASANEMI_BENCH_PREVIOUS=path/to/kasanemi-cad measures an earlier build beside this one
# (a build's bin folder, with its dwg-converter link) and fails when its --inspect output
# differs from this build's on any shared sample or benchmark drawing.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
. "$root/bench/common/drawings.sh"
cache=$bench_cache
shared=$bench_shared
bench_drawing "$cache/big.dxf" 500 200000 2
bench_drawing "$cache/layers4000.dxf" 4000 40000 3
bench_drawing "$cache/layers40000.dxf" 40000 400000 3
cmake --build "$build" --target bench_cad_load kasanemi-cad >/dev/null
cmake --build "$build" --target bench_dxflib_load >/dev/null 2>&1 || true
export KASANEMI_SHARED="$shared"
exec /usr/bin/python3 "$root/bench/cad_load/compare.py" "$build/bin" "$cache/big.dxf" \
    "$cache/layers4000.dxf" "$cache/layers40000.dxf"
