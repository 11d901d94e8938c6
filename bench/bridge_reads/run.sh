#!/usr/bin/env bash
# Bridge reads over the bus against in process, on the standard large drawing
# (500 layers, 200 000 entities; made once and kept in the cache folder).
#   bench/bridge_reads/run.sh [BUILD_DIR] [DRAWING.dxf]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/kasanemi"
drawing="${2:-$cache/big.dxf}"
if [ ! -f "$drawing" ]; then
  mkdir -p "$(dirname "$drawing")"
  /usr/bin/python3 "$root/../shared/tools/gen_dxf.py" --layers 500 --entities 200000 --seed 2 \
    --version R2018 --out "$drawing"
fi
cmake --build "$build" --target bench_bridge_reads >/dev/null
export QT_QPA_PLATFORM=offscreen
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  exec dbus-run-session -- "$build/bin/bench_bridge_reads" "$drawing"
fi
exec "$build/bin/bench_bridge_reads" "$drawing"
