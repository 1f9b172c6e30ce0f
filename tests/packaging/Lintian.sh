#!/usr/bin/env bash
# Has lintian judge the Debian package of the build: no error and no warning may
# remain (the reasoned exceptions ship in the package as lintian overrides).
set -euo pipefail
deb="$(ls "$1"/velt_*.deb)"
lintian --fail-on error,warning "$deb"
