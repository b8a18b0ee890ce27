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
    files/AcidWaveDecode.cpp platform/sound/SoundFileDecoder.cpp platform/sound/MpegDecoder.cpp platform/mmio/*.cpp \
    platform/kernel/TextConvert.cpp platform/com/HResult.cpp -lsndfile -lmpg123
}

build_binload() {
  "$CXX" "${flags[@]}" -o "$out/binload_fuzz" fuzz/BinLoadFuzz.cpp files/BinLoader.cpp \
    files/AcidWave.cpp files/AcidWaveLoop.cpp files/AcidWaveTables.cpp files/AcidWaveSource.cpp \
    files/AcidWaveDecode.cpp platform/sound/SoundFileDecoder.cpp platform/sound/MpegDecoder.cpp platform/mmio/*.cpp \
    platform/kernel/TextConvert.cpp platform/com/HResult.cpp engine/*.cpp -lsndfile -lmpg123
}

build_soundfile() {
  "$CXX" "${flags[@]}" -Itests -o "$out/soundfile_fuzz" fuzz/SoundFileFuzz.cpp files/BinLoader.cpp \
    files/AcidWave.cpp files/AcidWaveLoop.cpp files/AcidWaveTables.cpp files/AcidWaveSource.cpp \
    files/AcidWaveDecode.cpp platform/sound/SoundFileDecoder.cpp platform/sound/MpegDecoder.cpp platform/mmio/*.cpp \
    platform/kernel/TextConvert.cpp platform/com/HResult.cpp engine/*.cpp -lsndfile -lmpg123
}

# The project form, the control interface and persistence (project, control,
# reader, engine and platform sources); FakeSynthContext comes from tests/.
com_sources=(platform/com/Guid.cpp platform/com/HResult.cpp platform/com/TaskMem.cpp platform/com/MemoryStream.cpp platform/com/CountingStream.cpp
  platform/com/FileStream.cpp platform/com/PersistStream.cpp platform/com/TypeLib.cpp)
control_sources=(files/Project*.cpp files/Control*.cpp files/StreamIOProc.cpp files/BinLoader.cpp
  files/AcidWave.cpp files/AcidWaveLoop.cpp files/AcidWaveTables.cpp files/AcidWaveSource.cpp
  files/AcidWaveDecode.cpp platform/sound/SoundFileDecoder.cpp platform/sound/MpegDecoder.cpp engine/*.cpp platform/mmio/*.cpp platform/kernel/TextConvert.cpp "${com_sources[@]}")
# Compiled once per build, two at a time, into objects both project targets link.
control_objects() {
  rm -rf "$out/obj-control"
  mkdir -p "$out/obj-control"
  local n=0
  for src in "${control_sources[@]}"; do
    "$CXX" "${flags[@]}" -Itests -c "$src" -o "$out/obj-control/$(echo "$src" | tr / _).o" &
    n=$((n + 1))
    if [ $((n % 2)) -eq 0 ]; then wait; fi
  done
  wait
}
build_projectfile() {
  control_objects
  "$CXX" "${flags[@]}" -Itests -o "$out/projectfile_fuzz" fuzz/ProjectFileFuzz.cpp "$out"/obj-control/*.o -lsndfile -lmpg123
}
build_projectstream() {
  control_objects
  "$CXX" "${flags[@]}" -Itests -o "$out/projectstream_fuzz" fuzz/ProjectStreamFuzz.cpp "$out"/obj-control/*.o -lsndfile -lmpg123
}
build_versiontext() {
  "$CXX" "${flags[@]}" -o "$out/versiontext_fuzz" fuzz/VersionTextFuzz.cpp "${com_sources[@]}"
}

targets=(acidwave binload soundfile projectfile projectstream versiontext)
if [ "${1:-}" = run ]; then
  name=$2
  secs=${3:-30}
  "build_$name"
  mkdir -p "$out/corpus-$name"
  exec "$out/${name}_fuzz" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len="${FUZZ_MAX_LEN:-4096}" \
    -print_final_stats=1 "$out/corpus-$name" "fuzz/corpus/$name"
fi
for t in "${targets[@]}"; do "build_$t"; done
