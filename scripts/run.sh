#!/usr/bin/env bash
# Builds Velt and starts it. Works from any folder; installs missing Debian packages first.
# scripts/run.sh --headless [FILE...] starts it on a virtual display (Xvfb) instead of the desktop's.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
velt_ensure_packages
build="${VELT_BUILD_DIR:-$root/build}"
VELT_BUILD_TARGETS=(velt-cli velt)
velt_configure_and_build "$root" "$build"
if [ "${1:-}" = --headless ]; then
    shift
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/velt" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Velt is a desktop program and needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    echo "Start it on a virtual display instead:  $root/scripts/run.sh --headless" >&2
    exit 1
fi
exec "$build/app/velt" "$@"
