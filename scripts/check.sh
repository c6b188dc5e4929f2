#!/usr/bin/env bash
# The checking runs: the whole test suite in a sanitizer build (build-asan), and every fuzz
# target (build-fuzz) over its corpus and then for a bounded time.
#   scripts/check.sh sanitize        # the suite under ASan and UBSan
#   scripts/check.sh fuzz [seconds]  # each fuzz target: its corpus, then seconds (60) of fuzzing
#   scripts/check.sh                 # both
# A target may keep extra libFuzzer flags in fuzz/<target>.options (whitespace-separated, "#"
# starts a comment); they come after the common flags, so they override them.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/setup.sh"
JOBS="${QUORVANE_JOBS:-$(nproc)}"

quorvane_sanitizer_suite() {
    cmake -S "$ROOT" -B "$ROOT/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_SANITIZE=ON
    cmake --build "$ROOT/build-asan" --parallel "$JOBS"
    (cd "$ROOT/build-asan" && ctest --output-on-failure --parallel "$JOBS")
}

quorvane_fuzz() {
    local seconds="${1:-60}"
    cmake -S "$ROOT" -B "$ROOT/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DQUORVANE_FUZZ=ON
    cmake --build "$ROOT/build-fuzz" --parallel "$JOBS"
    local artifacts="$ROOT/build-fuzz/artifacts"
    mkdir -p "$artifacts"
    # Leaks are not looked for: Qt keeps objects for the life of the process.
    local options=(-timeout=10 -rss_limit_mb=2048 -detect_leaks=0 -artifact_prefix="$artifacts/")
    local corpus target work
    local -a extra
    for corpus in "$ROOT"/fuzz/corpus/*/; do
        target="$(basename "$corpus")"
        extra=()
        if [ -f "$ROOT/fuzz/$target.options" ]; then
            read -r -a extra <<<"$(sed 's/#.*//' "$ROOT/fuzz/$target.options" | tr '\n' ' ')"
        fi
        echo "== fuzz_$target: corpus"
        if ! "$ROOT/build-fuzz/fuzz/fuzz_$target" "${options[@]}" "${extra[@]}" "$corpus"* >"$artifacts/$target-corpus.log" 2>&1; then
            cat "$artifacts/$target-corpus.log"
            echo "fuzz_$target FAILED on its corpus"
            return 1
        fi
        echo "== fuzz_$target: ${seconds} s"
        # New inputs go to a scratch copy: the corpus in the repository stays as it is.
        work="$ROOT/build-fuzz/corpus/$target"
        rm -rf "$work" && mkdir -p "$work" && cp "$corpus"* "$work/"
        if ! "$ROOT/build-fuzz/fuzz/fuzz_$target" "${options[@]}" "${extra[@]}" -max_total_time="$seconds" -print_final_stats=1 \
            "$work" >"$work.log" 2>&1; then
            cat "$work.log"
            echo "fuzz_$target FAILED (the input is in $artifacts)"
            return 1
        fi
        tail -n 6 "$work.log"
    done
}

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
quorvane_install_check_packages
case "${1:-all}" in
    sanitize) quorvane_sanitizer_suite ;;
    fuzz) quorvane_fuzz "${2:-60}" ;;
    all) quorvane_sanitizer_suite; quorvane_fuzz 60 ;;
    *) echo "usage: $0 [sanitize|fuzz [seconds]]" >&2; exit 2 ;;
esac
