#!/usr/bin/env bash
# Builds like tools/test.sh, then runs the whole suite the given number of times
# (default 10) at -j$(nproc) beside $(nproc) busy loops, and prints each failure.
# Each run's ctest output is kept in $BUILD_DIR/soak/run-<n>.log.
#
#   BUILD_DIR   build folder (default: build)
#   CMAKE_ARGS  extra configure arguments
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-10}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: tools/soak.sh [runs]" >&2
    exit 2
fi

bash tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
jobs=$(nproc)
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build_dir" -j"$jobs"

busy=()
stop_busy() {
    if [ ${#busy[@]} -gt 0 ]; then
        kill "${busy[@]}" 2>/dev/null || true
        wait "${busy[@]}" 2>/dev/null || true
    fi
}
trap stop_busy EXIT
trap 'exit 130' INT TERM
for _ in $(seq "$jobs"); do
    (while :; do :; done) &
    busy+=("$!")
done

mkdir -p "$build_dir/soak"
failed_list="$build_dir/Testing/Temporary/LastTestsFailed.log"
failures=0
for run in $(seq "$runs"); do
    rm -f "$failed_list"
    log="$build_dir/soak/run-$run.log"
    if ctest --test-dir "$build_dir" --output-on-failure -j"$jobs" >"$log" 2>&1; then
        continue
    fi
    if [ ! -s "$failed_list" ]; then
        echo "soak: run $run: ctest failed with no test named (see $log)"
        failures=$((failures + 1))
        continue
    fi
    # Lines of "<number>:<test name>".
    while IFS= read -r line; do
        echo "soak: run $run: ${line#*:}"
        failures=$((failures + 1))
    done <"$failed_list"
done
echo "soak: $runs runs, $failures failures"
[ "$failures" -eq 0 ]
