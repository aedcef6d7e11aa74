#!/usr/bin/env bash
# Start-up and idle benchmark: the panel against a bare JUCE window built from
# the same JUCE, both Release, run alternately under one private Xvfb.
#
#   bash tools/bench/bench.sh [runs]      (default 7 runs of each)
#
#   BUILD_DIR   Release build folder (default: build-bench)
#
# As root it runs in a private mount namespace with its own /tmp and /var/tmp,
# so panels elsewhere on the machine cannot answer for this one.
set -euo pipefail
cd "$(dirname "$0")/../.."

runs=${1:-7}
build_dir=${BUILD_DIR:-build-bench}

if [ "$(id -u)" -eq 0 ] && [ -z "${K71_BENCH_ISOLATED:-}" ] && command -v unshare >/dev/null; then
    exec unshare -m env K71_BENCH_ISOLATED=1 bash -c \
        'mount -t tmpfs tmpfs /tmp && mount -t tmpfs tmpfs /var/tmp && exec bash "$0" "$@"' \
        "$0" "$@"
fi

bash tools/install-deps.sh
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target K71VT k71_bench_bare k71_bench_probe >/dev/null

xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

# shellcheck source=tools/private-xvfb.sh
source tools/private-xvfb.sh || exit 1

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build_dir/tools/bench/k71_bench_probe" "$runs" \
    "$PWD/$build_dir/tools/bench/k71_bench_bare" "$PWD/$build_dir/K71VT"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
