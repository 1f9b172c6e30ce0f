#!/usr/bin/env bash
# Builds the Debian package velt_<version>_amd64.deb in a release build of its own
# (default build-package/ beside the sources, or VELT_PACKAGE_DIR) and prints its path.
# Install it with: sudo apt-get install ./velt_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
# dpkg-shlibdeps (dpkg-dev) works out the libraries the package depends on.
velt_ensure_packages dpkg-dev file
build="${VELT_PACKAGE_DIR:-$root/build-package}"
VELT_BUILD_TARGETS=(velt velt-cli velt-cli-man velt-man velt-changelog)
# Debian's hardening: stack protector, fortified functions, PIE, read-only relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(cd "$root" && dpkg-buildflags --get CPPFLAGS) $(cd "$root" && dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
# Only the installed programs are built; the tests stay in the development build.
velt_configure_and_build "$root" "$build" -DCMAKE_BUILD_TYPE=Release -DVELT_BENCH=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
(cd "$build" && cpack -G DEB >&2)
ls "$build"/velt_*.deb
