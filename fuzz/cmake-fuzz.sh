#!/usr/bin/env bash
# Builds and runs the CMake fuzz targets (midifile, lv2state) with clang's
# libFuzzer, ASan and UBSan, in build/fuzz-h (FUZZ_BUILD overrides).
#   fuzz/cmake-fuzz.sh                 build both targets
#   fuzz/cmake-fuzz.sh run NAME SECS   build, then fuzz NAME for SECS seconds from
#                                      fuzz/corpus/NAME; new inputs go to BUILD/corpus-NAME
# Every input must finish within 1 s, allocate at most 256 MB at once and
# keep the process under 1 GB; FUZZ_MAX_LEN sets the largest input (default 16384).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${FUZZ_BUILD:-build/fuzz-h}
targets=(midifile lv2state)
if [ ! -f "$out/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DPANDREL_FUZZ=ON -DPANDREL_TESTS=OFF -DPANDREL_BENCH=OFF >/dev/null
fi
cmake --build "$out" -j"${PANDREL_JOBS:-2}" --target "${targets[@]/%/_fuzz}"
# The sanitizer runtime is a shared library here, loaded after libstdc++.
export ASAN_OPTIONS=${ASAN_OPTIONS:-verify_asan_link_order=0}
if [ "${1:-}" = run ]; then
  name=$2
  secs=${3:-30}
  mkdir -p "$out/corpus-$name"
  exec "$out/fuzz/${name}_fuzz" -max_total_time="$secs" -timeout=1 -rss_limit_mb=1024 \
    -malloc_limit_mb=256 -max_len="${FUZZ_MAX_LEN:-16384}" -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus-$name" "fuzz/corpus/$name"
fi
