#!/usr/bin/env bash
# Starts Velt on a virtual display and photographs each tab of the main window in both
# languages: velt-<language>-tab<n>.png in the folder given (default: <build>/screenshots),
# then copies a letter to the X clipboard, clicks CHECK and photographs the clipboard window
# (velt-<language>-clipboard.png), then the file and the folder window (velt-<language>-file.png,
# velt-<language>-folder.png); before the clipboard, the editor with a letter encoded (velt-<language>-editor.png).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
velt_ensure_packages imagemagick xdotool xclip
build="${VELT_BUILD_DIR:-$root/build}"
out="$(realpath -m "${1:-$build/screenshots}")"
if [ -z "${VELT_SCREENSHOTS_DISPLAY:-}" ]; then
    VELT_BUILD_TARGETS=(velt velt-cli)
    velt_configure_and_build "$root" "$build"
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VELT_SCREENSHOTS_DISPLAY=1 "$0" "$out"
fi

mkdir -p "$out"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
# The program's folder holds the key: a copy of the program beside a fresh key.
mkdir -p "$home/program"
cp "$build/app/velt" "$home/program/velt"
(cd "$home/program" && "$build/cli/velt-cli" keygen >/dev/null)

# The rectangle of window $1 as import's -crop wants it.
geometry() {
    xdotool getwindowgeometry --shell "$1" |
        awk -F= '/WIDTH/{w=$2}/HEIGHT/{h=$2}/^X/{x=$2}/^Y/{y=$2}END{print w"x"h"+"x"+"y}'
}
mkdir -p "$home/sample"
printf 'Velt\n' >"$home/sample/notes.txt"
printf 'x' >"$home/sample/photo.bin"
for lang in 0 1; do
    name=$([ "$lang" = 0 ] && echo english || echo hungarian)
    mkdir -p "$home/VELT"
    printf '[Option]\nlang=%s\n' "$lang" >"$home/VELT/VELT.conf"
    XDG_CONFIG_HOME="$home" "$home/program/velt" &
    pid=$!
    window="$(xdotool search --sync --name '^Velt$' | head -n 1)"
    xdotool windowfocus --sync "$window"
    sleep 1
    for tab in 0 1 2; do
        import -window root -crop "$(geometry "$window")" "$out/velt-$name-tab$tab.png"
        xdotool key ctrl+Tab
        sleep 0.5
    done
    # The editor from "Direct entry" (job tab, Küldés): a letter typed and encoded, then left by Exit.
    xdotool key alt+2 ctrl+s "$([ "$lang" = 0 ] && echo alt+d || echo alt+k)"
    editor="$(xdotool search --sync --name '^Transfer$' | head -n 1)"
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$editor")"
    xdotool mousemove --window "$editor" $((WIDTH / 2)) 200 click 1 type --delay 20 "dear anna, árvíztűrő tükörfúrógép"
    xdotool mousemove --window "$editor" $((WIDTH - 120)) 94 click 1
    sleep 1
    import -window root -crop "$(geometry "$editor")" "$out/velt-$name-editor.png"
    xdotool mousemove --window "$editor" 146 23 click 1
    sleep 0.5
    xdotool windowfocus --sync "$window"
    # On tab "!" (Alt+3): a letter on the clipboard, then a click on CHECK, right of the switch.
    xdotool key alt+3
    printf 'Dear Anna,\nthe garden gate is open. Árvíztűrő tükörfúrógép' | xclip -selection clipboard
    sleep 0.8
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --window "$window" $((WIDTH * 58 / 100)) $((HEIGHT * 55 / 100)) click 1
    clipboardWindow="$(xdotool search --sync --name '^Vágólap$' | head -n 1)"
    sleep 1
    import -window root -crop "$(geometry "$clipboardWindow")" "$out/velt-$name-clipboard.png"
    # The job tab's "Küldés", then "File convert" and "Convert a folder", each job window left by its toolbar.
    xdotool windowfocus --sync "$window" key ctrl+shift+Tab
    sleep 0.5
    xdotool mousemove --window "$window" 24 23 click 1 mousemove --window "$window" 123 163 click 1
    sleep 1.5
    xdotool type "$home/sample/notes.txt"
    xdotool key Return
    job="$(xdotool search --sync --name '^Transfer  O.K. \?$' | head -n 1)"
    sleep 1
    import -window root -crop "$(geometry "$job")" "$out/velt-$name-file.png"
    xdotool mousemove --window "$job" 20 20 click 1
    sleep 1
    xdotool mousemove --window "$window" 123 202 click 1
    sleep 1.5
    xdotool type "$home/sample"
    xdotool key Return
    job="$(xdotool search --sync --name 'FOLDER CONTENTS|MAPPA TARTALMA' | head -n 1)"
    sleep 1
    xdotool mousemove --window "$job" 40 64 click 1
    sleep 0.5
    import -window root -crop "$(geometry "$job")" "$out/velt-$name-folder.png"
    xdotool mousemove --window "$job" 20 20 click 1
    sleep 0.5
    kill "$pid"
    wait "$pid" 2>/dev/null || true
done
echo "Screenshots in $out"
