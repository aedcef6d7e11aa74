#!/usr/bin/env bash
# Installs what is missing, builds the panel and starts it against the virtual
# K71 VT. Without a display it runs the panel under Xvfb, saves a screenshot
# once the panel is alive, prints the screenshot's path and ends.
#
#   BUILD_DIR   build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" -j"$(nproc)" --target K71VT k71vt-sim
panel="$build_dir/K71VT"
sim="$build_dir/k71vt-sim"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$panel" "$@"
fi

xvfb_pid=""
panel_pid=""
cleanup() {
    if [ -n "$panel_pid" ]; then
        kill "$panel_pid" 2>/dev/null || true
        wait "$panel_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

wait_for() { # timeout in tenths of a second, then the condition
    local tries=$1
    shift
    until "$@"; do
        tries=$((tries - 1))
        if [ "$tries" -le 0 ]; then
            return 1
        fi
        sleep 0.1
    done
}

# shellcheck source=tools/private-xvfb.sh
source tools/private-xvfb.sh || exit 1

"$panel" "$@" &
panel_pid=$!

window_shown() { xdotool search --onlyvisible --name '^K71VT v' >/dev/null 2>&1; }
report_count() { "$sim" --timeout 500 reports 2>/dev/null | wc -l; }
# Alive: the window is up and the attach and read-back reports have stopped coming.
reports_settled() {
    local before
    before=$(report_count)
    [ "$before" -gt 0 ] || return 1
    sleep 0.5
    [ "$(report_count)" -eq "$before" ]
}
wait_for 300 window_shown || { echo "the panel window did not appear" >&2; exit 1; }
wait_for 100 reports_settled || { echo "the panel did not come alive" >&2; exit 1; }

window=$(xdotool search --onlyvisible --name '^K71VT v' | head -n 1)
mkdir -p "$build_dir/screenshots"
shot="$(cd "$build_dir/screenshots" && pwd)/k71vt-$(date +%Y%m%d-%H%M%S).png"
import -window "$window" "$shot"
echo "$shot"
