# Installs the Debian packages the build needs, when any is missing. Sourced by run.sh and test.sh.
velt_packages=(
    g++ cmake ninja-build ccache
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev fonts-dejavu-core qt6-translations-l10n
    xvfb xauth
    desktop-file-utils appstream lintian libcli11-dev librsvg2-bin
    poppler-utils libssl-dev
)

# What .ci/run needs beyond the build: clang with libFuzzer for the fuzz targets.
velt_check_packages=(clang libclang-rt-14-dev)

velt_ensure_packages() {
    local missing=()
    for p in "${velt_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

velt_configure_and_build() {
    local src=$1 build=$2
    shift 2
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$src" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
    cmake --build "$build" "${VELT_BUILD_TARGETS[@]/#/--target=}"
}
