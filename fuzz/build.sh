#!/bin/sh
# Builds the DXF reader's fuzz target with Debian's clang and libFuzzer:
#   fuzz/build.sh [BUILD_DIR]      (default: build-fuzz beside this folder)
# then run it, e.g. for five minutes on the shared samples as seed corpus:
#   mkdir -p /tmp/dxf-corpus && cp ../shared/samples/dxf/*.dxf /tmp/dxf-corpus/
#   build-fuzz/dxf_fuzz -max_total_time=300 -max_len=65536 /tmp/dxf-corpus
# Keep every crash input under tests/cad/corpus/; the test suite replays them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${1:-$root/build-fuzz}
mkdir -p "$out"
srcs="Drawing.cpp Extents.cpp dxf/DxfTokenizer.cpp dxf/DxfText.cpp dxf/DxfEntityReader.cpp dxf/DxfNewerEntities.cpp dxf/ProxyGraphics.cpp dxf/DxfLoader.cpp dxf/DxfLayerWriter.cpp"
srcs="$srcs render/DrawingFrontend.cpp render/NewerEntityShapes.cpp render/PropertyResolver.cpp render/Curves.cpp"
srcs="$srcs render/TextShapes.cpp text/MTextParser.cpp text/TextLayout.cpp"
files="$root/src/acad/AciColors.cpp"
for s in $srcs; do files="$files $root/src/cad/$s"; done
# shellcheck disable=SC2086
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
    -I"$root/src" $(pkg-config --cflags Qt6Core Qt6Gui) \
    "$here/dxf_fuzz.cpp" $files \
    $(pkg-config --libs Qt6Core Qt6Gui) -o "$out/dxf_fuzz"
echo "built $out/dxf_fuzz"
