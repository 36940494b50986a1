#!/usr/bin/env bash
# Runs the benchmarks behind the performance limits once (medians of five repetitions)
# and prints them as a table with the limit each must keep, all from that one run. Ratios
# come from benchmarks that alternate the two workloads on the thread's own CPU time, so
# a busy moment on the machine falls on both alike. Needs a built tree (scripts/setup.sh
# or scripts/test.sh) and python3.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bench="$build/bench/quillstrip_bench"
[ -x "$bench" ] || cmake --build "$build" -j"$(nproc)" --target quillstrip_bench
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
filter='^(ProcessStereo/|Vst3Process/|BM_LimiterProgram|BM_OversamplingCompared|BM_OversamplingStereo32|BM_CompressorTypesCompared|BM_Instances)'
"$bench" --benchmark_filter="$filter" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        runs[b["run_name"]] = b

def value(name, counter="per_frame"):
    b = runs.get(name)
    if b is None or counter not in b:
        return None
    # Per-frame counters are rates inverted: seconds per frame.
    return b[counter] * (1e9 if counter.startswith("per_") else 1.0)

rows = []
def row(what, v, limit, unit="ns/frame"):
    ok = "" if v is None else ("yes" if v <= limit else "NO")
    shown = "missing" if v is None else f"{v:.2f}"
    rows.append((what, shown, f"<= {limit:g}", unit, ok))

def info(what, v, unit="ns/frame"):
    rows.append((what, "missing" if v is None else f"{v:.2f}", "", unit, ""))

def ratio(a, b):
    return None if a is None or b is None else a / b

for frames in (32, 512):
    row(f"every section off, VST 3 bundle, {frames}-frame blocks", value(f"Vst3Process/frames:{frames}/setting:0"), 2)
    row(f"every section off, plug-in object, {frames}-frame blocks", value(f"ProcessStereo/frames:{frames}/setting:0"), 2)
    row(f"one EQ band on, plug-in object, {frames}-frame blocks", value(f"ProcessStereo/frames:{frames}/setting:1"), 5)
    info(f"every section off with oversampling, plug-in object, {frames}-frame blocks",
         value(f"ProcessStereo/frames:{frames}/setting:2"))
    info(f"the same with a side-chain bus that no section listens to, {frames}-frame blocks",
         value(f"ProcessStereo/frames:{frames}/setting:3"))
for name, what in (("BM_LimiterProgram/45/6", "moving level"), ("BM_LimiterProgram/5/6", "steady level")):
    row(f"limiter, both stages, program material at 6 dB, {what}", value(name), 10)
    if name in runs:
        rows.append(("  its reduction / samples above the ceiling",
                     f"{runs[name]['reduction_dB']:.2f} / {runs[name]['over_ceiling']:g}", "about 6 / 0", "dB / count", ""))
for name, what in (("BM_LimiterProgram/45/10", "moving level"), ("BM_LimiterProgram/5/10", "steady level")):
    info(f"limiter, both stages, driven to 10 dB, {what}", value(name))
for t in (0, 1):
    name = f"BM_OversamplingCompared/type:{t}"
    info(f"whole chain, every section on, compressor type {t + 1}, without oversampling", value(name, "off_ns"))
    info(f"whole chain, every section on, compressor type {t + 1}, with oversampling", value(name, "on_ns"))
    row(f"whole chain with oversampling / without, compressor type {t + 1}", value(name, "ratio"), 2.6, "x")
for kernel, limit, cpu in (("symmetric_avx2", 30, "AVX2 and FMA"), ("symmetric_avx", 60, "AVX without AVX2"),
                           ("symmetric", 60, "SSE2 only"), ("symmetric_avx512", 30, "AVX-512")):
    row(f"converter pair, stereo, {kernel} kernel ({cpu})", value(f"BM_OversamplingStereo32/{kernel}"), limit)
for args, what in (("0/0", "peak, linked"), ("1/2", "power, mid/side")):
    row(f"type 2 compressor / type 1, {what}", value(f"BM_CompressorTypesCompared/{args}", "ratio"), 1.2, "x")
info("one instance alone, every section on, 64-frame blocks", value("BM_InstancesCompared", "one_ns"))
info("fifty instances in turn, per instance", value("BM_InstancesCompared", "fifty_ns"))
row("fifty instances / one, per instance and frame", value("BM_InstancesCompared", "ratio"), 1.25, "x")
if "BM_Instances/instances:1" in runs:
    rows.append(("  heap per instance", f"{runs['BM_Instances/instances:1']['heap_bytes_per_instance'] / 1024:.0f}", "", "KiB", ""))

print("| measure | median | limit | unit | kept |")
print("|---|---|---|---|---|")
for r in rows:
    print("| " + " | ".join(r) + " |")
PY
