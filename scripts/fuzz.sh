#!/usr/bin/env bash
# Runs one fuzz target (tests/fuzz/) for a while, built with clang and libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/.
#   scripts/fuzz.sh TARGET [SECONDS]     e.g. scripts/fuzz.sh fuzz_tga 60
#   scripts/fuzz.sh --list
# Starts from the committed seeds; what it learns stays in build-fuzz/corpus/TARGET.
# An input that breaks a check is written to build-fuzz/artifacts/TARGET/ and the
# script fails; replay one with: build-fuzz/tests/fuzz/TARGET FILE
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seeds="$root/tests/fuzz/corpus"

if [ "${1:-}" = "--list" ]; then
  ls "$seeds"
  exit 0
fi
target="${1:?usage: scripts/fuzz.sh TARGET [SECONDS] (--list for the targets)}"
seconds="${2:-60}"
[ -d "$seeds/$target" ] || { echo "no fuzz target $target (--list shows them)" >&2; exit 2; }

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQS_SANITIZE=address,undefined -DQS_FUZZ=ON -DQS_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target "$target" -j"$(nproc)" >/dev/null

corpus="$build/corpus/$target"
artifacts="$build/artifacts/$target"
mkdir -p "$corpus" "$artifacts"
# Inputs stay small; one allocation beyond 64 MB or a process beyond 2 GB is a finding
# (each target also bounds single allocations by its input size, see FuzzSupport.h).
"$build/tests/fuzz/$target" "$corpus" "$seeds/$target" \
  -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -malloc_limit_mb=64 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
