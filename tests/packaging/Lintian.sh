#!/usr/bin/env bash
# Packs the build as a Debian package and has lintian judge it: no error and no warning may
# remain (the reasoned exceptions ship in the package as lintian overrides).
set -euo pipefail
build=$1
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb="$(ls "$out"/velt_*.deb)"
lintian --fail-on error,warning "$deb"
