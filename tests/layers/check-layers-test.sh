#!/usr/bin/env bash
# The layer check on the real tree passes, and on scratch files it fails an
# include of a layer above and passes one of a layer below.
set -euo pipefail
top=$1
check="$top/scripts/check-layers"
"$check"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf '#include "platform/com/Types.h"\n#include "interfaces/LoopSource.h"\n' >"$scratch/Down.cpp"
"$check" "$scratch/Down.cpp" pandrel_engine >/dev/null

printf '#include "engine/WaveMem.h"\n#include "host/Filter.h"\n' >"$scratch/Up.cpp"
if out=$("$check" "$scratch/Up.cpp" pandrel_engine 2>&1); then
  echo "an include of the host layer from the engine passed the check" >&2
  exit 1
fi
grep -q 'Up.cpp:2: includes host/Filter.h' <<<"$out" || { echo "unexpected report: $out" >&2; exit 1; }
if grep -q 'Up.cpp:1' <<<"$out"; then echo "the engine's own header was reported: $out" >&2; exit 1; fi
echo "layer check test passed"
