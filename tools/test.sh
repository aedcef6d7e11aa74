#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs the whole test suite.
# Every test process starts its own Xvfb, so no display is needed.
#
#   BUILD_DIR   build folder (default: build)
#   CMAKE_ARGS  extra configure arguments, e.g. -DK71_SANITIZER=address
#   TARGETS     targets to build (default: all)
#   CTEST_ARGS  extra ctest arguments, e.g. -L device
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

build_dir=${BUILD_DIR:-build}
jobs=$(nproc)
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
if [ -n "${TARGETS:-}" ]; then
    # shellcheck disable=SC2086
    cmake --build "$build_dir" -j"$jobs" --target ${TARGETS}
else
    cmake --build "$build_dir" -j"$jobs"
fi
# shellcheck disable=SC2086
ctest --test-dir "$build_dir" --output-on-failure -j"$jobs" ${CTEST_ARGS:-}
