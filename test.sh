#!/usr/bin/env bash
# Installs what is missing, builds everything (the program, its tests, tools and benchmarks),
# and runs every test.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/setup.sh"
quorvane_install_packages
quorvane_build "$ROOT"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
cd "$ROOT/build"
ctest --output-on-failure --parallel "${QUORVANE_JOBS:-$(nproc)}" "$@"
