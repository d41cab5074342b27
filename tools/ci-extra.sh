#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Extra CI checks on top of the normal test run:
#   1. a Release build of everything with Debian's compiler flags and without
#      -Werror, as a packager builds it: it must compile without a warning;
#      its unit and widget tests run;
#   2. the unit and widget tests (every group but e2e, packaging and fuzz),
#      built with AddressSanitizer and UndefinedBehaviorSanitizer (gcc);
#   3. the libFuzzer targets, built with clang, each run for a short while.
# Build folders: $HUEPICK_RELEASE_DIR (build-release), $HUEPICK_ASAN_DIR
# (build-asan) and $HUEPICK_FUZZ_DIR (build-fuzz); seconds per fuzz target:
# $HUEPICK_FUZZ_SECONDS (10).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
release_dir=${HUEPICK_RELEASE_DIR:-"$here/build-release"}
asan_dir=${HUEPICK_ASAN_DIR:-"$here/build-asan"}
fuzz_dir=${HUEPICK_FUZZ_DIR:-"$here/build-fuzz"}
fuzz_seconds=${HUEPICK_FUZZ_SECONDS:-10}
jobs=$(nproc)
failed=()

section() { printf '\n=== %s\n' "$*"; }

# --- Release build with Debian's flags ----------------------------------------
section "Release build with Debian's compiler flags ($release_dir)"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake ignores CPPFLAGS, so they go with the compiler flags, as debhelper does.
cmake -S "$here" -B "$release_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHUEPICK_WERROR=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
unset DEB_BUILD_MAINT_OPTIONS
# From scratch, so every file is compiled (or its warnings replayed by ccache).
release_log=$release_dir/build.log
if cmake --build "$release_dir" --parallel "$jobs" --clean-first >"$release_log" 2>&1; then
    warnings=$(grep -c 'warning:' "$release_log" || true)
    if [ "$warnings" -eq 0 ]; then
        echo "release build: no warnings"
    else
        grep -A3 'warning:' "$release_log" | head -n 60
        echo "release build: $warnings warning(s), see $release_log"
        failed+=("release build warnings")
    fi
    if ! (cd "$release_dir" && ctest --output-on-failure --parallel "$jobs" --timeout 600 \
        -L '^(unit|widget)$'); then
        failed+=("release unit and widget tests")
    fi
else
    tail -n 60 "$release_log"
    failed+=("release build")
fi

# --- Sanitizers --------------------------------------------------------------
section "AddressSanitizer + UndefinedBehaviorSanitizer build ($asan_dir)"
cmake -S "$here" -B "$asan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHUEPICK_SANITIZE=ON -DHUEPICK_BUILD_BENCH=OFF -DHUEPICK_WERROR=ON >/dev/null
# Every test group that runs here, and what it needs; not the end-to-end
# tests, which drive the plain build's binary.
targets=()
for group in "$here"/tests/*/; do
    group=$(basename "$group")
    case $group in e2e | packaging | fuzz) continue ;; esac
    [ -f "$here/tests/$group/CMakeLists.txt" ] && targets+=("tests/$group/all")
done
# Test discovery runs the test programs during the build; leaks are judged
# in the runs below, not there.
ASAN_OPTIONS=detect_leaks=0 cmake --build "$asan_dir" --parallel "$jobs" --target "${targets[@]}"

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# LeakSanitizer on everything, with no suppressions: the offscreen widget
# tests tear their QApplication down and leave nothing of Qt's behind.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1

run_ctest() {  # name, then ctest arguments
    local name=$1
    shift
    section "$name"
    if ! (cd "$asan_dir" && ctest --output-on-failure --parallel "$jobs" --timeout 600 "$@"); then
        failed+=("$name")
    fi
}

run_ctest "sanitized core tests" -L '^unit$'
# Every other group but those that need the plain build, a display of their
# own or the fuzzing build. Test programs of groups not built here (e2e)
# show up as *_NOT_BUILT placeholders.
run_ctest "sanitized widget and other tests" -LE '^(unit|e2e|packaging|fuzz)$' -E '_NOT_BUILT$'

# --- Fuzzing -----------------------------------------------------------------
section "libFuzzer targets ($fuzz_dir, ${fuzz_seconds} s each)"
cmake -S "$here" -B "$fuzz_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DHUEPICK_FUZZ=ON -DHUEPICK_BUILD_BENCH=OFF \
    -DHUEPICK_WERROR=ON >/dev/null
cmake --build "$fuzz_dir" --parallel "$jobs" --target huepick_fuzz

work=$(mktemp -d "${TMPDIR:-/tmp}/huepick-fuzz-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
for target in fuzz_profile_file fuzz_channel_text fuzz_hex; do
    mkdir -p "$work/$target" "$fuzz_dir/artifacts"
    # New inputs go to the scratch corpus; the seeds in the tree stay as they are.
    if "$fuzz_dir/tests/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$fuzz_dir/artifacts/$target-" \
        "$work/$target" "$here/tests/fuzz/corpus/$target" >"$work/$target.log" 2>&1; then
        execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$target.log")
        cov=$(grep -o 'cov: [0-9]*' "$work/$target.log" | tail -1)
        echo "$target: ok, $execs runs, $rate/s, $cov"
    else
        tail -n 40 "$work/$target.log"
        echo "$target: FAILED (input saved under $fuzz_dir/artifacts)"
        failed+=("$target")
    fi
done

section "extra checks"
if [ ${#failed[@]} -gt 0 ]; then
    printf 'failed: %s\n' "${failed[@]}"
    exit 1
fi
echo "all extra checks passed"
