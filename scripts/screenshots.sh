#!/usr/bin/env bash
# Starts Velt on a virtual display and photographs each tab of the main window in both
# languages: velt-<language>-tab<n>.png in the folder given (default: <build>/screenshots).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
velt_ensure_packages imagemagick xdotool
build="${VELT_BUILD_DIR:-$root/build}"
out="$(realpath -m "${1:-$build/screenshots}")"
if [ -z "${VELT_SCREENSHOTS_DISPLAY:-}" ]; then
    VELT_BUILD_TARGETS=(velt)
    velt_configure_and_build "$root" "$build"
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VELT_SCREENSHOTS_DISPLAY=1 "$0" "$out"
fi

mkdir -p "$out"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
for lang in 0 1; do
    name=$([ "$lang" = 0 ] && echo english || echo hungarian)
    mkdir -p "$home/VELT"
    printf '[Option]\nlang=%s\n' "$lang" >"$home/VELT/VELT.conf"
    XDG_CONFIG_HOME="$home" "$build/shell/velt" &
    pid=$!
    window="$(xdotool search --sync --name '^Velt$' | head -n 1)"
    xdotool windowfocus --sync "$window"
    sleep 1
    for tab in 0 1 2; do
        import -window root -crop "$(xdotool getwindowgeometry --shell "$window" |
            awk -F= '/WIDTH/{w=$2}/HEIGHT/{h=$2}/^X/{x=$2}/^Y/{y=$2}END{print w"x"h"+"x"+"y}')" \
            "$out/velt-$name-tab$tab.png"
        xdotool key ctrl+Tab
        sleep 0.5
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
done
echo "Screenshots in $out"
