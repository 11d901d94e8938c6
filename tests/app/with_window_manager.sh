#!/bin/sh
# Runs a test program on a private X display with a window manager (openbox),
# so that windows get a real frame: where a window goes with its title bar
# and borders can only be seen there. Skips (77) without Xvfb or openbox.
#   with_window_manager.sh PROGRAM [ARGS...]
set -eu
command -v xvfb-run >/dev/null && command -v openbox >/dev/null || { echo "no xvfb-run or openbox: skipped"; exit 77; }
exec xvfb-run -a -s "-screen 0 1280x900x24" sh -c '
  ready=$(mktemp -u)
  openbox --startup "touch $ready" >/dev/null 2>&1 &
  manager=$!
  i=0
  while [ ! -e "$ready" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  [ -e "$ready" ] || { echo "openbox did not start: skipped"; kill $manager; exit 77; }
  rm -f "$ready"
  status=0
  QT_QPA_PLATFORM=xcb "$@" || status=$?
  kill $manager
  exit $status
' with_window_manager "$@"
