#!/usr/bin/env bash
# Builds the plug-in and its concurrency test with ThreadSanitizer in build-tsan/ and runs
# it: the audio thread processing while the UI thread does everything a host may do at the
# same time. Any race reported fails it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TSAN_BUILD_DIR:-$root/build-tsan}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQS_SANITIZE=thread -DQS_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target test_concurrency -j"$(nproc)"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
HOME="$home" TSAN_OPTIONS="halt_on_error=1${TSAN_OPTIONS:+:$TSAN_OPTIONS}" "$build/tests/host/test_concurrency"
