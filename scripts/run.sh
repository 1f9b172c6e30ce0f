#!/usr/bin/env bash
# Builds Velt and starts it. Works from any folder; installs missing Debian packages first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
velt_ensure_packages
build="${VELT_BUILD_DIR:-$root/build}"
VELT_BUILD_TARGETS=(velt-cli)
velt_configure_and_build "$root" "$build"
exec "$build/cli/velt-cli" --help "$@"
