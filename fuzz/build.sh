#!/bin/sh
# Builds the fuzz targets with Debian's clang and libFuzzer:
#   fuzz/build.sh [BUILD_DIR]      (default: build-fuzz beside this folder)
#   dxf_fuzz  the DXF reader (and drawing what it loads)
#   csv_fuzz  the layer-list / CSV table reader and writer
#   ini_fuzz  the settings-file reader
#   wildcard_fuzz  the layer-name wildcards (pattern, then names, a line each)
# An undefined-behaviour finding stops a run (-fno-sanitize-recover).
# Run one, e.g. for a minute on the shared samples as seed corpus:
#   mkdir -p /tmp/dxf-corpus && cp ../shared/samples/dxf/*.dxf /tmp/dxf-corpus/
#   build-fuzz/dxf_fuzz -max_total_time=60 -max_len=65536 /tmp/dxf-corpus
#   build-fuzz/csv_fuzz -max_total_time=60 tests/viewer/corpus
#   build-fuzz/ini_fuzz -max_total_time=60 tests/app/corpus
#   build-fuzz/wildcard_fuzz -max_total_time=60 -timeout=2 fuzz/wildcard_corpus
# Keep every input that crashed under tests/cad/corpus/, tests/viewer/corpus/
# or tests/app/corpus/; the test suite replays them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${1:-$root/build-fuzz}
mkdir -p "$out"
srcs="Drawing.cpp LoadedText.cpp OmissionNotes.cpp Extents.cpp Curves.cpp SplineInterpolation.cpp"
srcs="$srcs dxf/DxfMessages.cpp dxf/DxfTokenizer.cpp dxf/DxfText.cpp dxf/DxfEntityReader.cpp dxf/RawNameIds.cpp dxf/DxfCurveReaders.cpp dxf/DxfTextReaders.cpp"
srcs="$srcs dxf/DxfHatchReader.cpp dxf/DxfBlockReferenceReaders.cpp dxf/DxfNewerEntities.cpp dxf/ProxyGraphics.cpp"
srcs="$srcs dxf/DxfLoader.cpp dxf/DxfFileBuffer.cpp dxf/DxfDrawOrder.cpp dxf/DxfLayerWriter.cpp"
srcs="$srcs render/DrawingFrontend.cpp render/NewerEntityShapes.cpp render/PropertyResolver.cpp render/TextShapes.cpp"
srcs="$srcs render/HatchPattern.cpp render/GradientFill.cpp render/LinetypeDashes.cpp render/WidePolyline.cpp render/LineClip.cpp"
srcs="$srcs text/MTextParser.cpp text/TextLayout.cpp"
files="$root/src/acad/AciColors.cpp $root/src/metafile/WmfText.cpp"
for s in $srcs; do files="$files $root/src/cad/$s"; done
flags="-std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
# shellcheck disable=SC2086
clang++ $flags \
    -I"$root/src" $(pkg-config --cflags Qt6Core Qt6Gui) \
    "$here/dxf_fuzz.cpp" $files \
    $(pkg-config --libs Qt6Core Qt6Gui libxxhash) -o "$out/dxf_fuzz"
echo "built $out/dxf_fuzz"

# shellcheck disable=SC2086
clang++ $flags -I"$root/src" $(pkg-config --cflags Qt6Core) \
    "$here/csv_fuzz.cpp" "$root/src/viewer/LayerListFile.cpp" "$root/src/export/LayerListReader.cpp" \
    "$root/src/export/ClsCsvFunction2.cpp" \
    "$root/src/export/CsvTable.cpp" "$root/src/export/CsvText.cpp" "$root/src/app/TextEncoding.cpp" \
    "$root/src/app/UserInterface.cpp" "$root/src/app/PlantedLink.cpp" "$root/src/app/AtomicReplace.cpp" \
    $(pkg-config --libs Qt6Core) -o "$out/csv_fuzz"
echo "built $out/csv_fuzz"

# shellcheck disable=SC2086
clang++ $flags -I"$root/src" $(pkg-config --cflags Qt6Core) \
    "$here/ini_fuzz.cpp" "$root/src/app/PrivateProfile.cpp" "$root/src/app/TextEncoding.cpp" \
    $(pkg-config --libs Qt6Core) -o "$out/ini_fuzz"
echo "built $out/ini_fuzz"

# shellcheck disable=SC2086
clang++ $flags -I"$root/src" $(pkg-config --cflags Qt6Core) \
    "$here/wildcard_fuzz.cpp" "$root/src/acad/LayerWildcard.cpp" \
    $(pkg-config --libs Qt6Core) -o "$out/wildcard_fuzz"
echo "built $out/wildcard_fuzz"
