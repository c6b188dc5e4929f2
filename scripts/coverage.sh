#!/usr/bin/env bash
# Builds the program and its tests with branch coverage (gcov, into build-coverage/), runs the
# whole suite, and lists the lines of src/ that handle a failure or a limit and that no test
# reached. Too slow for every CI run; run it by hand after changing a failure path.
#
#   scripts/coverage.sh [FOLDER...]            # build, run the suite, list (all of src/ by default)
#   scripts/coverage.sh --list-only [FOLDER...] # list from the counts the last run left
#
# The listing is made mechanically, without markers in the source (scripts/failure_branches.py):
# - A line handles a failure or a limit when its code (comments left out) holds one of:
#   "return false", a message box flag vbCritical or vbExclamation, an enum value naming a failure
#   (::WriteFailed, ::DiskFull, ::TooLarge, ::Refused, ::FolderReadOnly, ::...Error, ...), a call to
#   rollback, undo... or a function whose name says fail (fail, failWrite, ...), or a string that
#   says something went wrong or was too much ("could not", "cannot", "failed", "not enough",
#   "too large", "larger than", "more than", "unreadable", "damaged", ...).
# - It is listed when gcov counted it (or the first counted line of its statement) zero times,
#   or, for a condition with its failure on the same line ("if (!ok) return false;"), when a
#   side of that condition was never taken.
# - Each listed line names the nearest condition above it with branches: the branch that leads
#   there. Lines under one branch, or of one statement, are listed once.
# The exit status is 1 when something is listed.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-coverage"
JOBS="${QUORVANE_JOBS:-$(nproc)}"
source "$ROOT/scripts/setup.sh"

list_only=0
if [ "${1:-}" = "--list-only" ]; then
    list_only=1
    shift
fi

if [ "$list_only" -eq 0 ]; then
    quorvane_install_packages
    quorvane_install gcovr python3
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_COVERAGE=ON
    cmake --build "$BUILD" --parallel "$JOBS"
    find "$BUILD" -name '*.gcda' -delete
    export QT_QPA_PLATFORM=offscreen
    export QTWEBENGINE_DISABLE_SANDBOX=1
    export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
    # A failing test still leaves its counts; the listing is made either way.
    (cd "$BUILD" && ctest --output-on-failure --parallel "$JOBS") || echo "Some tests failed: the listing below counts what ran."
fi

gcovr --root "$ROOT" --object-directory "$BUILD" --filter "$ROOT/src/" \
    --exclude-throw-branches --gcov-ignore-parse-errors -j "$JOBS" \
    --json "$BUILD/coverage.json"
python3 "$ROOT/scripts/failure_branches.py" "$BUILD/coverage.json" "$ROOT" "$@"
