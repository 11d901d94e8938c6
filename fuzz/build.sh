#!/bin/sh
# Builds the fuzz targets with Debian's clang and libFuzzer:
#   fuzz/build.sh [BUILD_DIR]      (default: build-fuzz beside this folder)
#   dxf_fuzz  the DXF reader (and drawing what it loads)
#   csv_fuzz  the layer-list / CSV table reader and writer
#   ini_fuzz  the settings-file reader
#   wildcard_fuzz  the layer-name wildcards (pattern, then names, a line each)
#   wmf_fuzz  the metafile player (fuzz/wmf_build.sh builds and runs it)
# A clang build of its own with KASANEMI_BUILD_FUZZ=ON: every library a target
# links is instrumented, and a reader's new source file is fuzzed with it.
# An undefined-behaviour finding stops a run (-fno-sanitize-recover).
# Run one, e.g. for a minute on the shared samples as seed corpus:
#   mkdir -p /tmp/dxf-corpus && cp ../shared/samples/dxf/*.dxf /tmp/dxf-corpus/
#   build-fuzz/bin/dxf_fuzz -max_total_time=60 -max_len=65536 /tmp/dxf-corpus
#   build-fuzz/bin/csv_fuzz -max_total_time=60 tests/viewer/corpus
#   build-fuzz/bin/ini_fuzz -max_total_time=60 tests/app/corpus
#   build-fuzz/bin/wildcard_fuzz -max_total_time=60 -timeout=2 fuzz/wildcard_corpus
# Keep every input that crashed under tests/cad/corpus/, tests/viewer/corpus/
# or tests/app/corpus/; the test suite replays them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${1:-$root/build-fuzz}
cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKASANEMI_BUILD_FUZZ=ON -DKASANEMI_BUILD_TESTS=OFF -DKASANEMI_BUILD_BENCH=OFF >/dev/null
cmake --build "$out" --target dxf_fuzz csv_fuzz ini_fuzz wildcard_fuzz wmf_fuzz
for target in dxf_fuzz csv_fuzz ini_fuzz wildcard_fuzz wmf_fuzz; do
    echo "built $out/bin/$target"
done
