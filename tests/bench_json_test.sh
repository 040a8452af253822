#!/usr/bin/env bash
# A short benchmark run: its JSON parses, the figures are sane, the pass
# times add up to the instrumented frame, and the run on the no-op driver
# reports the same figures. Then a short sweep of the fish counts, and a
# count beyond the largest refused.
set -euo pipefail
bench=$1
data=$2
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$bench" --data "$data" --frames 12 --warmup 2 --json >"$out"
python3 - "$out" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
passes = report["passes_ms"]
expected = {"setup", "grid room", "stencil", "water", "tank shell", "fish", "sand", "bubbles", "near glass"}
assert set(passes) == expected, passes.keys()
total = sum(passes.values())
frame = report["instrumented_frame_ms"]
assert abs(total - frame) <= 0.05 * frame + 0.5, (total, frame)
assert abs(total - report["passes_sum_ms"]) < 1e-3
noop = report["noop"]
assert "noop" not in noop, "the no-op run ran another"
for name, s in [(n, r[n]) for r in (report, noop) for n in ("frame", "one_by_one_frame", "immediate_frame", "empty_frame")]:
    assert s["fps"] > 0 and s["median_ms"] > 0 and s["p99_ms"] >= s["median_ms"], s
    assert s["low1_fps"] <= s["fps"] * 1.0001, s
assert report["frame"]["median_ms"] > report["empty_frame"]["median_ms"]
assert report["full_over_empty"] > 1
setup = report["setup_ms"]
assert all(setup[k] > 0 for k in ("total", "caustic_frames", "shaders", "bmp_textures")), setup
assert (noop["width"], noop["frames"], noop["fish"]) == (report["width"], report["frames"], report["fish"]), noop
print("bench JSON ok: frame %.2f ms, passes sum %.2f ms, empty %.2f ms; on the no-op driver %.3f ms, "
      "sent per vertex %.3f ms" % (report["frame"]["median_ms"], total, report["empty_frame"]["median_ms"],
                                  noop["frame"]["median_ms"], noop["immediate_frame"]["median_ms"]))
PY

# The sweep: every count from 1 to 30000 timed both ways on both drivers;
# where the whole school takes three draws, its CPU cost on the no-op driver
# stays far below drawing 30000 fish one at a time.
"$bench" --data "$data" --fish-sweep --frames 3 --warmup 0 --json >"$out"
python3 - "$out" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
counts = [1, 50, 100, 500, 1000, 5000, 10000, 15000, 20000, 25000, 30000]
assert report["instancing"] is True, "llvmpipe offers instanced drawing"
for r in (report, report["noop"]):
    assert [row["fish"] for row in r["sweep"]] == counts, r["sweep"]
    for row in r["sweep"]:
        assert row["frames"] == [3, 3], row
        for way in ("frame", "one_by_one_frame"):
            assert row[way]["median_ms"] > 0 and row[way]["fps"] > 0, row
last = report["noop"]["sweep"][-1]
assert last["frame"]["median_ms"] * 10 < last["one_by_one_frame"]["median_ms"], last
print("sweep JSON ok: 30000 fish %.2f ms instanced, %.2f ms one at a time; on the no-op driver %.3f ms and %.2f ms"
      % (report["sweep"][-1]["frame"]["median_ms"], report["sweep"][-1]["one_by_one_frame"]["median_ms"],
         last["frame"]["median_ms"], last["one_by_one_frame"]["median_ms"]))
PY

# 30000 fish is the most; the tools refuse more, with their usage line.
set +e
"$bench" --data "$data" --fish 30001 >/dev/null 2>"$out"
code=$?
set -e
[ "$code" = 2 ] || { echo "bench --fish 30001 exited $code, not 2" >&2; exit 1; }
grep -q '^usage: bench' "$out" || { echo "bench --fish 30001 printed no usage line" >&2; exit 1; }
echo "bench --fish 30001 refused"
