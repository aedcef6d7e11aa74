#!/usr/bin/env bash
# Installs what is missing, builds the panel and starts it against the virtual
# K71 VT. Without a display it runs the panel under Xvfb with a home and runtime
# folder of its own, saves a screenshot once the panel is alive, prints the
# screenshot's path and ends.
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
private=""
cleanup() {
    if [ -n "$panel_pid" ]; then
        kill "$panel_pid" 2>/dev/null || true
        wait "$panel_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ -n "$private" ]; then
        rm -rf "$private"
    fi
}
trap cleanup EXIT

# A home and runtime folder of this run's own: a panel the user already runs
# would otherwise take the launch over, and this run's quit would store its
# window position in the user's settings.
private=$(mktemp -d)
mkdir -m 700 "$private/home" "$private/run"
own_folders=(env HOME="$private/home" XDG_RUNTIME_DIR="$private/run")

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

"${own_folders[@]}" "$panel" "$@" &
panel_pid=$!

window_shown() { xdotool search --onlyvisible --name '^K71VT v' >/dev/null 2>&1; }
report_count() { "${own_folders[@]}" "$sim" --timeout 500 reports 2>/dev/null | wc -l; }
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
