#!/usr/bin/env bash
# Runs the four libFuzzer targets of a fuzz build for SECONDS seconds each and sums up the outcome.
#
#   tests/fuzz/run_fuzzers.sh BUILD_DIR SECONDS
#
# BUILD_DIR is a build folder configured with -DMARIVELLE_FUZZ=ON and built (cmake --build BUILD_DIR
# --target fuzz); this script builds nothing. Every target starts from a copy of its seed corpus in a fresh
# folder under /tmp, so neither the source tree nor the build folder is written. Prints one line per target:
#
#   fuzz_bmp: 123456 runs in 60 s, no findings
#
# and exits non-zero if any target crashed, leaked, ran out of memory or timed out; the line then names the
# kind of finding and the file that reproduces it (run the target on that file to see it again).
#
# Environment: FUZZ_TARGETS="fuzz_bmp fuzz_tga" picks targets (default: all four); FUZZ_DETAILS=1 adds a
# line with coverage and corpus size per target; FUZZ_KEEP=1 keeps the working folder (logs, corpora) even
# when nothing was found.
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
build=$1
seconds=$2
case $seconds in
    ''|*[!0-9]*) echo "$0: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$build" 2>/dev/null && pwd)/tests/fuzz
targets=${FUZZ_TARGETS:-"fuzz_bmp fuzz_tga fuzz_shader_source fuzz_height_map"}

# Seed folder and extra options per target.
seeds_of() {
    case $1 in
        fuzz_bmp) echo bmp ;;
        fuzz_tga) echo tga ;;
        fuzz_shader_source) echo shader ;;
        fuzz_height_map) echo height ;;
        *) return 1 ;;
    esac
}
options_of() {
    case $1 in
        fuzz_bmp) echo "-dict=$here/bmp.dict" ;;
        fuzz_tga) echo "-dict=$here/tga.dict" ;;
        fuzz_shader_source) echo "-max_len=9000" ;;          # both sides of the 8192-character limit
        fuzz_height_map) echo "-max_len=1048600" ;;          # up to a little past a whole map
    esac
}

for target in $targets; do
    if ! seeds_of "$target" >/dev/null; then
        echo "$0: unknown target $target" >&2
        exit 2
    fi
    if [ ! -x "$bin/$target" ] || [ ! -d "$bin/seeds/$(seeds_of "$target")" ]; then
        echo "$0: $bin/$target or its seeds are missing; build them first:" >&2
        echo "  cmake --build $build --target fuzz" >&2
        exit 2
    fi
done

work=$(mktemp -d /tmp/marivelle-fuzz-run.XXXXXX) || exit 2
echo "working folder: $work" >&2
failed=0

for target in $targets; do
    dir=$work/$target
    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp "$bin/seeds/$(seeds_of "$target")"/* "$dir/corpus/"
    # shellcheck disable=SC2046
    (cd "$dir" && "$bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$dir/artifacts/" $(options_of "$target") "$dir/corpus" >"$dir/log" 2>&1)
    status=$?
    done_line=$(grep -E '^Done [0-9]+ runs in [0-9]+ second' "$dir/log" | tail -n 1)
    stats=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$dir/log" | tail -n 1)
    if [ $status -eq 0 ] && [ -n "$done_line" ]; then
        runs=$(echo "$done_line" | sed -E 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\1/')
        secs=$(echo "$done_line" | sed -E 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\2/')
        echo "$target: $runs runs in $secs s, no findings"
    else
        failed=1
        kind=$(grep -oE 'ERROR: libFuzzer: (deadly signal|timeout|out-of-memory|malloc limit|fuzz target exited)|ERROR: AddressSanitizer: [a-z-]+|ERROR: LeakSanitizer: detected memory leaks|runtime error: [^(]*' \
            "$dir/log" | head -n 1 | sed 's/^ERROR: //')
        artifact=$(grep -oE 'Test unit written to [^ ]+' "$dir/log" | tail -n 1 | sed 's/^Test unit written to //')
        echo "$target: FAILED (exit $status${kind:+, $kind})${artifact:+, reproduce with: $bin/$target $artifact}"
        echo "  log: $dir/log" >&2
        # The finding, and the stack frames in this program's own sources.
        grep -E 'ERROR|SUMMARY|runtime error|^fuzz_[a-z_]+: |^    #[0-9]+ .* /[^ ]*\.(cpp|h):[0-9]+' "$dir/log" \
            | grep -v '/compiler-rt/\|/libfuzzer/' | head -n 20 | sed 's/^/  | /' >&2
    fi
    if [ "${FUZZ_DETAILS:-0}" = 1 ] && [ -n "$stats" ]; then
        cov=$(echo "$stats" | grep -oE 'cov: [0-9]+' | cut -d' ' -f2)
        ft=$(echo "$stats" | grep -oE 'ft: [0-9]+' | cut -d' ' -f2)
        corp=$(echo "$stats" | grep -oE 'corp: [0-9]+/[0-9]+[a-zA-Z]*' | cut -d' ' -f2)
        rate=$(echo "$stats" | grep -oE 'exec/s: [0-9]+' | cut -d' ' -f2)
        echo "  cov $cov, ft $ft, corpus $corp, $rate exec/s, $(ls "$dir/corpus" | wc -l) corpus files"
    fi
done

if [ $failed -eq 0 ] && [ "${FUZZ_KEEP:-0}" != 1 ]; then
    rm -rf "$work"
else
    echo "kept: $work" >&2
fi
exit $failed
