#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build/fuzz.
#   fuzz/build.sh                 build every target
#   fuzz/build.sh run NAME SECS   build, then fuzz NAME for SECS seconds from
#                                 fuzz/corpus/NAME (new inputs go to build/fuzz/corpus-NAME);
#                                 FUZZ_MAX_LEN sets the largest input (default 4096; the
#                                 reader's I/O buffer is 8192 bytes, so try 20000 too)
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/fuzz
mkdir -p "$out"
CXX=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -Wall -Wextra -I.)

build_acidwave() {
  "$CXX" "${flags[@]}" -o "$out/acidwave_fuzz" fuzz/AcidWaveFuzz.cpp \
    files/AcidWave.cpp files/AcidWaveLoop.cpp files/AcidWaveTables.cpp files/AcidWaveSource.cpp \
    platform/mmio/*.cpp \
    platform/kernel/TextConvert.cpp platform/com/HResult.cpp
}

build_binload() {
  "$CXX" "${flags[@]}" -o "$out/binload_fuzz" fuzz/BinLoadFuzz.cpp files/BinLoader.cpp \
    files/AcidWave.cpp files/AcidWaveLoop.cpp files/AcidWaveTables.cpp files/AcidWaveSource.cpp \
    platform/mmio/*.cpp \
    platform/kernel/TextConvert.cpp platform/com/HResult.cpp engine/*.cpp
}

targets=(acidwave binload)
if [ "${1:-}" = run ]; then
  name=$2
  secs=${3:-30}
  "build_$name"
  mkdir -p "$out/corpus-$name"
  exec "$out/${name}_fuzz" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len="${FUZZ_MAX_LEN:-4096}" \
    -print_final_stats=1 "$out/corpus-$name" "fuzz/corpus/$name"
fi
for t in "${targets[@]}"; do "build_$t"; done
