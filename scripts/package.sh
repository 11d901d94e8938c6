#!/usr/bin/env bash
# Builds the Debian package from ./build (installing what is missing and
# building first) and prints its path: build/package/kasanemi_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
rm -f build/package/kasanemi_*.deb
cpack --config build/CPackConfig.cmake -B build/package >&2
ls build/package/kasanemi_*.deb
