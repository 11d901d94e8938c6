#!/usr/bin/env bash
# Installs what is missing, builds, then starts the drawing host with the
# bundled sample drawing and the viewer beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  exec dbus-run-session -- "$0" "$@"
fi
export KASANEMI_HOME="${KASANEMI_HOME:-$HOME/.local/share/kasanemi}"
mkdir -p "$KASANEMI_HOME"
if [ -x build/bin/kasanemi-cad ]; then
  build/bin/kasanemi-cad "$PWD/samples/demo.dxf" &
  host=$!
  trap 'kill $host 2>/dev/null || true' EXIT
  sleep 1
fi
build/bin/kasanemi "$@"
