#!/usr/bin/env bash
# Installs the Debian packages the program needs (when missing) and builds it into build/.
# Sourced by run.sh and test.sh.
set -euo pipefail

QUORVANE_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6sql6-sqlite
    libxslt1-dev libxml2-dev libzip-dev libx11-dev libgl-dev libsqlite3-dev
    libcurl4-openssl-dev libssl-dev
)

# What the sanitizer build and the fuzz targets need besides (installed by .ci/run and
# scripts/check.sh only).
QUORVANE_CHECK_PACKAGES=(
    clang libclang-rt-14-dev
)

quorvane_install_packages() {
    quorvane_install "${QUORVANE_PACKAGES[@]}"
}

quorvane_install_check_packages() {
    quorvane_install "${QUORVANE_CHECK_PACKAGES[@]}"
}

quorvane_install() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
}

# Builds into build/: the targets named after the source folder (the program: quorvane), or
# everything when none is named.
quorvane_build() {
    local root="$1"
    shift
    local targets=()
    if [ $# -gt 0 ]; then
        targets=(--target "$@")
    fi
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$root/build" --parallel "${QUORVANE_JOBS:-$(nproc)}" "${targets[@]}"
}
