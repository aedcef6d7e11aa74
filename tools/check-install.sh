#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what a desktop
# needs: both programs, a valid desktop entry, its icon at every size and the
# licence.
#
#   BUILD_DIR   build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() {
    echo "install: $*" >&2
    exit 1
}
for program in K71VT k71vt-sim; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing"
done
entry=$prefix/share/applications/k71vt.desktop
[ -f "$entry" ] || fail "share/applications/k71vt.desktop is missing"
# Hints too: an entry the validator has anything to say about is not finished.
said=$(desktop-file-validate "$entry" 2>&1) || fail "$said"
[ -z "$said" ] || fail "$said"
icon=$(sed -n 's/^Icon=//p' "$entry")
sizes=0
for png in resources/icons/k71vt-*.png; do
    size=${png##*-}
    size=${size%.png}
    installed=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    cmp -s "$png" "$installed" || fail "the ${size}px icon is not installed as $installed"
    [ "$(identify -format '%m %wx%h' "$installed")" = "PNG ${size}x${size}" ] ||
        fail "$installed is not a ${size}x${size} PNG"
    sizes=$((sizes + 1))
done
[ "$sizes" -ge 3 ] || fail "only $sizes icon sizes"
[ -f "$prefix/share/doc/K71VT/LICENSE" ] || fail "share/doc/K71VT/LICENSE is missing"
echo "install: $(find "$prefix" -type f | wc -l) files, desktop entry valid, $sizes icon sizes"
