#!/usr/bin/env bash
# Times velt-cli encode-file over a folder of many small files in one call against cp -r of the
# same folder, in the same run, and prints files per second and the ratio.
#
#   bench/many_files.sh [COUNT] [SIZE_BYTES]      (default 10000 files of 4096 bytes; build velt-cli first)
#
# Set VELT_BUILD_DIR when the build is not in build/. Work files go to a temporary folder under
# TMPDIR and are removed. Each tool runs three times, interleaved, and its best run counts. Each
# run writes into folders that no run has deleted files from: ext4 skips the inodes of files
# deleted in the last half minute one by one, which would charge the later runs for the earlier.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${VELT_BUILD_DIR:-$root/build}/cli/velt-cli"
count="${1:-10000}"
size="${2:-4096}"
[ -x "$cli" ] || { echo "velt-cli not found at $cli: build it first" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/velt-many-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
"$cli" keygen --out KEY.ORB >/dev/null
mkdir src
head -c "$((count * size))" /dev/urandom | split -a 6 -d -b "$size" - src/f
for attempt in 1 2 3; do cp -r src "src$attempt"; done
sync

seconds() { # seconds COMMAND...: wall time of COMMAND
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

best_cp="" best_velt=""
for attempt in 1 2 3; do
    sync
    t=$(seconds cp -r src "copy$attempt")
    if [ -z "$best_cp" ] || awk -v a="$t" -v b="$best_cp" 'BEGIN { exit !(a < b) }'; then best_cp=$t; fi
    sync
    # One call for the whole folder: the shell passes every file of it.
    t=$(seconds "$cli" encode-file --key KEY.ORB "src$attempt"/f*)
    if [ -z "$best_velt" ] || awk -v a="$t" -v b="$best_velt" 'BEGIN { exit !(a < b) }'; then best_velt=$t; fi
done
for attempt in 1 2 3; do
    [ "$(ls "src$attempt" | grep -c '\.JPG$')" -eq "$count" ] || { echo "not every file was encoded" >&2; exit 1; }
done

printf "%d files of %d bytes, %s, load average %s\n" "$count" "$size" "$(date -u +%FT%TZ)" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
awk -v n="$count" -v c="$best_cp" -v v="$best_velt" 'BEGIN {
    if (c <= 0) c = 0.001; if (v <= 0) v = 0.001;
    printf "%-28s %8.2f s %10.0f files/s\n", "cp -r", c, n / c;
    printf "%-28s %8.2f s %10.0f files/s\n", "velt-cli encode-file", v, n / v;
    printf "velt-cli encode-file: %.2f x the files per second of cp (best of three each)\n", c / v }'
