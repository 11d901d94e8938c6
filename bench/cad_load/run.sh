#!/bin/sh
# Drawing host load benchmark: our reader against ezdxf on the standard large
# drawing (500 layers, 200,000 entities, about 40 MB), measured in the same run.
#   bench/cad_load/run.sh [BUILD_DIR]     (default: build)
# The drawing is generated once into $KASANEMI_BENCH_CACHE (default
# /tmp/kasanemi-bench), outside the source tree; that takes about 20 s.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
cache=${KASANEMI_BENCH_CACHE:-/tmp/kasanemi-bench}
shared=${KASANEMI_SHARED:-$root/../shared}
big=$cache/big.dxf
mkdir -p "$cache"
if [ ! -s "$big" ]; then
    echo "generating $big ..."
    /usr/bin/python3 "$shared/tools/gen_dxf.py" --layers 500 --entities 200000 --seed 2 --version R2018 --out "$big"
fi
cmake --build "$build" --target bench_cad_load >/dev/null
ours=$("$build/bin/bench_cad_load" "$big")
theirs=$(/usr/bin/python3 "$root/bench/cad_load/ezdxf_load.py" "$big")
echo "$ours"
echo "$theirs"
value() { echo "$1" | awk -v k="$2" '$1 == k { print $2 }'; }
/usr/bin/python3 - "$(value "$ours" load_seconds)" "$(value "$theirs" ezdxf_load_seconds)" \
    "$(value "$ours" load_cpu_seconds)" "$(value "$theirs" ezdxf_load_cpu_seconds)" \
    "$(value "$ours" count_all_layers_seconds)" "$(value "$theirs" ezdxf_count_all_layers_seconds)" \
    "$(value "$ours" memory_ratio)" <<'PY'
import sys
load, peer_load, cpu, peer_cpu, count, peer_count, mem = map(float, sys.argv[1:])
print(f"load (wall): {load:.3f} s vs ezdxf {peer_load:.3f} s -> {peer_load / load:.1f}x faster (target >= 20x)")
print(f"load (CPU):  {cpu:.3f} s vs ezdxf {peer_cpu:.3f} s -> {peer_cpu / cpu:.1f}x faster")
print(f"counts for every layer: {count:.4f} s vs ezdxf {peer_count:.4f} s (target < 0.2 s)")
print(f"peak memory: {mem:.2f} x file size (target < 5)")
PY
