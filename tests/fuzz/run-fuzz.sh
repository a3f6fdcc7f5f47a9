#!/usr/bin/env bash
# Runs every fuzz program of a fuzz build for a bounded time each and fails when any of
# them finds a crash, a leak, a timeout or a failed check.
#
#   tests/fuzz/run-fuzz.sh BUILD_DIR SECONDS
#
# Each program starts from its stored inputs (tests/fuzz/corpus/<name>/, read only) and
# keeps what it learns in BUILD_DIR/corpus/<name>/ for the next run. An input that fails
# is written to BUILD_DIR/artifacts/<name>/; once the fault is mended, copy it into
# tests/fuzz/corpus/<name>/ so that `make test` replays it from then on.
set -uo pipefail

build=${1:?build folder}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)

# A single input may take this long; a regular expression or a scan that needs more is
# a fault in itself.
per_input_seconds=10
# Criteria files are a few kilobytes here: a larger allocation means a declared length
# was trusted beyond the bytes present.
declare -A malloc_limit_mb=([criteria-file]=16)
declare -A max_len=([contents-scan]=16384 [archive]=65536)

failed=()
for program in "$build"/bin/fuzz-*; do
    name=${program##*/fuzz-}
    work="$build/corpus/$name"
    artifacts="$build/artifacts/$name"
    mkdir -p "$work" "$artifacts"
    options=(-max_total_time="$seconds" -timeout="$per_input_seconds" -rss_limit_mb=2048
             -print_final_stats=1 -artifact_prefix="$artifacts/")
    [ -n "${malloc_limit_mb[$name]:-}" ] && options+=(-malloc_limit_mb="${malloc_limit_mb[$name]}")
    [ -n "${max_len[$name]:-}" ] && options+=(-max_len="${max_len[$name]}")
    echo "== fuzz-$name for ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
        "$program" "${options[@]}" "$work" "$here/corpus/$name" >"$build/fuzz-$name.log" 2>&1; then
        tail -n 40 "$build/fuzz-$name.log"
        failed+=("$name")
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build/fuzz-$name.log" || true
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing failed: ${failed[*]} (inputs in $build/artifacts/)" >&2
    exit 1
fi
echo "fuzzing clean"
