#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Starts a private
# session bus when there is none and uses the offscreen platform when there is
# no display, so it runs the same on a desktop, over ssh and in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${KASANEMI_TEST_SETUP_DONE:-}" ]; then
  scripts/setup.sh
  export KASANEMI_TEST_SETUP_DONE=1
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  exec dbus-run-session -- "$0" "$@"
fi
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
