#!/usr/bin/env bash
# Installs what is missing, builds, then starts the drawing host with the
# bundled demo drawing and the viewer beside it. Without arguments the viewer
# gets the demo's layer list (samples/demo-layers.csv), so it refreshes at
# start-up and shows tiles and both overviews; any arguments go to the viewer
# instead (the whole command line is one layer-list path).
# With a display the two windows stay open until you close the viewer. Without
# one (ssh, CI) both run on a virtual screen for a few seconds and a
# screenshot is saved to build/demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${KASANEMI_DEMO_SETUP_DONE:-}" ]; then
  scripts/setup.sh
  export KASANEMI_DEMO_SETUP_DONE=1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${KASANEMI_DEMO_HEADLESS:-}" ]; then
  echo "No display: running the demo on a virtual screen; the screenshot goes to build/demo.png"
  export KASANEMI_DEMO_HEADLESS=1
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$@"
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  exec dbus-run-session -- "$0" "$@"
fi

# The program folder: settings, the picture-macro manifest and the work folder.
export KASANEMI_HOME="${KASANEMI_HOME:-$HOME/.local/share/kasanemi}"
mkdir -p "$KASANEMI_HOME"
[ -f build/bin/QEMTIN.dvb ] && cp build/bin/QEMTIN.dvb "$KASANEMI_HOME/"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

if [ -x build/bin/kasanemi-cad ]; then
  drawing=()
  [ -f samples/demo.dxf ] && drawing=("$PWD/samples/demo.dxf")
  build/bin/kasanemi-cad "${drawing[@]}" &
  pids+=($!)
  # Wait (at most 10 s) until the host owns its bus name.
  for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.NameHasOwner string:org.kasanemi.Cad 2>/dev/null | grep -q 'boolean true' && break
    sleep 0.2
  done
fi

viewer_args=("$@")
if ((${#viewer_args[@]} == 0)) && [ -f samples/demo-layers.csv ]; then
  viewer_args=("$PWD/samples/demo-layers.csv")
fi

if [ -n "${KASANEMI_DEMO_HEADLESS:-}" ]; then
  build/bin/kasanemi "${viewer_args[@]}" &
  pids+=($!)
  sleep "${KASANEMI_DEMO_SECONDS:-5}"
  import -window root build/demo.png && echo "Screenshot: build/demo.png"
else
  build/bin/kasanemi "${viewer_args[@]}"
fi
