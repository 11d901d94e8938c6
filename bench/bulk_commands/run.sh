#!/bin/sh
# Bulk on/off over the bus against in process, for a drawing of 1,000 layers.
#   bench/bulk_commands/run.sh [BUILD_DIR]
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
drawing=${KASANEMI_BENCH_CACHE:-$HOME/.cache/kasanemi}/layers1000.dxf
if [ ! -f "$drawing" ]; then
    mkdir -p "$(dirname "$drawing")"
    /usr/bin/python3 "$here/../../../shared/tools/gen_dxf.py" --layers 1000 --entities 20000 --seed 7 \
        --version R2018 --out "$drawing"
fi
export QT_QPA_PLATFORM=offscreen
if [ -z "$DBUS_SESSION_BUS_ADDRESS" ]; then
    exec dbus-run-session -- "$build/bin/bench_bulk_commands" "$drawing"
fi
exec "$build/bin/bench_bulk_commands" "$drawing"
