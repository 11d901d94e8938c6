#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Starts a private
# session bus when there is none and uses the offscreen platform when there is
# no display, so it runs the same on a desktop, over ssh and in CI.
# Extra arguments go to ctest, e.g. scripts/test.sh -R Csv
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
# Qt wants a private runtime folder; root over ssh or in CI often has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
  chmod 700 "$XDG_RUNTIME_DIR"
fi
# A test that hangs (say, on a dialog nobody answers) fails after 5 minutes
# instead of stopping the whole run.
ctest --test-dir build --output-on-failure --timeout 300 -j"$(nproc)" "$@"
