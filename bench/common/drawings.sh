# Sourced by the benchmarks' run.sh: the generated drawings they share, made
# once into $KASANEMI_BENCH_CACHE (default /tmp/kasanemi-bench), outside the
# source tree. A drawing is written under a temporary name and renamed when
# complete, so an interrupted generation is made again, never measured.
#   . "$root/bench/common/drawings.sh"; bench_drawing "$bench_cache/big.dxf" 500 200000 2
bench_root=$(cd "$(dirname "$0")/../.." && pwd)
bench_shared=${KASANEMI_SHARED:-$bench_root/../shared}
bench_cache=${KASANEMI_BENCH_CACHE:-/tmp/kasanemi-bench}
mkdir -p "$bench_cache"

# The standard large drawing is bench_drawing "$bench_cache/big.dxf" 500 200000 2.
bench_drawing() { # FILE LAYERS ENTITIES SEED
    if [ ! -s "$1" ]; then
        echo "generating $1 ..."
        /usr/bin/python3 "$bench_shared/tools/gen_dxf.py" --layers "$2" --entities "$3" --seed "$4" \
            --version R2018 --out "$1.part" >/dev/null && mv "$1.part" "$1"
    fi
}
