#!/usr/bin/env bash
# Builds the metafile fuzz target with clang's libFuzzer and runs it.
#   fuzz/wmf_build.sh [seconds]      (default 300)
# Crashing inputs land in fuzz/wmf_crashes/; copy each into
# tests/metafile/crashes/ so the regression test plays it on every run.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${KASANEMI_FUZZ_OUT:-/tmp/kasanemi-fuzz}
mkdir -p "$out/corpus" fuzz/wmf_crashes
cp -n fuzz/wmf_corpus/*.wmf tests/metafile/crashes/*.wmf "$out/corpus/" 2>/dev/null || true

fuzz/build.sh "$out" >/dev/null

# Leak checks are on; fontconfig's caches, which live to the end of the
# process, are suppressed by name (fuzz/lsan.supp).
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0"
"$out/bin/wmf_fuzz" "$out/corpus" -max_total_time="${1:-300}" -max_len=4096 -timeout=10 -detect_leaks=1 \
  -artifact_prefix=fuzz/wmf_crashes/ -print_final_stats=1
