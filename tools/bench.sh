#!/usr/bin/env bash
# Builds the benchmark programs optimised (the bench preset: release, tests off),
# runs every one and prints, for each path, ours / peer for every peer measured
# beside it in the same run. Below 1 ours is faster.
#   bash tools/bench.sh                       every program, three repetitions, medians
#   bash tools/bench.sh --benchmark_filter=XML   further arguments go to every program
# The results stay in build/bench/results/ (JSON per program, ratios.md).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
programs=(bench_propertylist bench_xml bench_value bench_format bench_engine bench_digest bench_path
  bench_start bench_growth bench_sprites bench_json bench_xdoc bench_salon bench_salon_day
  bench_kestrel bench_adnoria_json)
# The allocator's thresholds, pinned as the program pins them at start (base/Allocator.hpp):
# with glibc's moving defaults the heap may trim and regrow every frame, and every
# program's timings (ours and the peers') would depend on its mood.
export GLIBC_TUNABLES="glibc.malloc.trim_threshold=268435456:glibc.malloc.mmap_threshold=33554432"
cmake --preset bench >/dev/null
cmake --build --preset bench --target "${programs[@]}"
results=build/bench/results
rm -rf "$results"
mkdir -p "$results"
for program in "${programs[@]}"; do
  echo "== $program"
  "build/bench/bench/$program" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$results/$program.json" --benchmark_out_format=json "$@"
done

# Benchmarks are named "<path>/ours" and "<path>/<peer>"; the median CPU time of each
# (or its only time, without repetitions) is compared. Those timed on the wall clock
# (named ".../real_time", for work that other threads share) compare that time.
python3 - "$results" <<'PY'
import json, pathlib, sys

results = pathlib.Path(sys.argv[1])
scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
times = {}  # name -> CPU time in ns
order = []
for path in sorted(results.glob("*.json")):
    if path.stat().st_size == 0:  # a filter that matched nothing in this program
        continue
    for b in json.loads(path.read_text())["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        clock = "cpu_time"
        if name.endswith("/real_time"):
            name = name[: -len("/real_time")]
            clock = "real_time"
        if name not in times:
            order.append(name)
        times[name] = b[clock] * scale[b["time_unit"]]

def shown(ns):
    for unit in ("ns", "us", "ms"):
        if ns < 1000 * scale[unit]:
            break
    value = ns / scale[unit]
    return f"{value:.3g} {unit}" if value < 100 else f"{value:.0f} {unit}"

rows = []
for name in order:
    if not name.endswith("/ours"):
        continue
    base = name[: -len("/ours")]
    ours = times[name]
    for other in order:
        if other.startswith(base + "/") and other != name and "/" not in other[len(base) + 1:]:
            peer = times[other]
            rows.append((base, shown(ours), other[len(base) + 1:], shown(peer), ours / peer))

if not rows:
    sys.exit("no pair of ours and a peer was run")
width = max(len(r[0]) for r in rows)
print()
print(f"{'path':<{width}}  {'ours':>10}  {'peer':>10}  ratio  peer")
for base, ours, peer, peertime, ratio in rows:
    print(f"{base:<{width}}  {ours:>10}  {peertime:>10}  {ratio:5.2f}  {peer}")
with open(results / "ratios.md", "w") as out:
    out.write("| path | ours | peer | ratio |\n| --- | ---: | ---: | ---: |\n")
    for base, ours, peer, peertime, ratio in rows:
        out.write(f"| {base} | {ours} | {peer}: {peertime} | {ratio:.2f} |\n")
print(f"\nratios written to {results / 'ratios.md'}")
PY
