#!/usr/bin/env bash
# A short benchmark run: its JSON parses, the figures are sane, the pass
# times add up to the instrumented frame, and the run on the no-op driver
# reports the same figures.
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
for name, s in [(n, r[n]) for r in (report, noop) for n in ("frame", "immediate_frame", "empty_frame")]:
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
