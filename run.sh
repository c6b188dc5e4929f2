#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it from its program folder
# build/app, which holds the sample edition.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/setup.sh"
quorvane_install_packages
quorvane_build "$ROOT"
if [ "$(id -u)" -eq 0 ]; then
    # The browser's sandbox cannot run as root.
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec "$ROOT/build/app/quorvane" "$@"
