#!/usr/bin/env bash
# Installs what is missing, builds only the program and its program folder build/app (no
# tests or benchmarks) and starts it from there, on the sample edition the folder holds.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/setup.sh"
quorvane_install_packages
quorvane_build "$ROOT" quorvane
if [ "$(id -u)" -eq 0 ]; then
    # The browser's sandbox cannot run as root.
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec "$ROOT/build/app/quorvane" "$@"
