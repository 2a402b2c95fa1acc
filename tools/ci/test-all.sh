#!/usr/bin/env bash
# Installs the build dependencies (once), then configures, builds and tests
# every preset listed below, and prints a summary. Exits non-zero if any step
# of any preset fails.
#
#   bash tools/ci/test-all.sh              all presets
#   bash tools/ci/test-all.sh linux win64  only these
#
# Windows presets run their tests under Wine inside one Xvfb session, with a
# persistent wineserver per prefix (one prefix per build folder).
set -u -o pipefail

# Add presets here; each needs a configure, build and test preset of that name.
PRESETS=(linux linux-asan linux-tsan linux-fuzz win32 win64)
TEST_TIMEOUT=300
JOBS=$(nproc 2>/dev/null || echo 2)
# A kernel without 32-bit support cannot run 32-bit Wine; such a preset is
# built but its tests are reported as skipped, unless this is set to 1.
QUORL_REQUIRE_ALL_TESTS=${QUORL_REQUIRE_ALL_TESTS:-0}

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$ROOT" || exit 1
[ $# -gt 0 ] && PRESETS=("$@")

needs_wine() {
  for preset in "${PRESETS[@]}"; do
    case "$preset" in win*) return 0 ;; esac
  done
  return 1
}

if [ -z "${QUORL_CI_IN_XVFB:-}" ]; then
  bash tools/ci/install-packages.sh || { echo "RESULT: FAILED (package installation)"; exit 1; }
  # Wine must see the same display for the whole run: start it once.
  if needs_wine && [ -z "${DISPLAY:-}" ]; then
    export QUORL_CI_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "${PRESETS[@]}"
  fi
fi

SUMMARY=()
FAILED=0
WINESERVERS=()

stop_wineservers() {
  for prefix in "${WINESERVERS[@]}"; do
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  done
}
trap stop_wineservers EXIT

can_run_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# Debian's wine script always picks the 32-bit loader when it is installed,
# even where the kernel cannot run it; 64-bit programs then need the 64-bit
# loader called directly. The shim folder goes first on PATH for the whole run,
# so ctest's emulator and wineboot both find it.
if needs_wine && ! can_run_32bit && [ -x /usr/lib/wine/wine64 ]; then
  shim="$ROOT/build/ci-wine64-loader"
  mkdir -p "$shim"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
    chmod +x "$shim/$name"
  done
  export PATH="$shim:$PATH"
fi

# Creates the prefix once per build folder and keeps a wineserver running for
# it, so that each test program starts in a fraction of a second.
start_wine() {
  local preset=$1 arch=$2
  export WINEPREFIX="$ROOT/build/$preset/wineprefix" WINEARCH=$arch
  export WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== $preset: creating Wine prefix"
    wineboot -i </dev/null >/dev/null 2>&1 || return 1
    wineserver -w
    # A crash must end the test, not open a debugger dialog nobody can close.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 || return 1
    wineserver -w
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || return 1
  WINESERVERS+=("$WINEPREFIX")
  wine cmd /c exit </dev/null >/dev/null 2>&1 || return 1
}

record() {
  SUMMARY+=("$(printf '%-12s %-10s %s' "$1" "$2" "$3")")
  [ "$2" = FAIL ] && FAILED=1
  return 0
}

run_preset() {
  local preset=$1 start=$SECONDS
  echo "== $preset: configure"
  if ! cmake --preset "$preset" >"build/ci-$preset-configure.log" 2>&1; then
    cat "build/ci-$preset-configure.log"
    record "$preset" FAIL "configure (log: build/ci-$preset-configure.log)"
    return
  fi
  # Where the tests cannot run, everything is still built (cross builds list
  # their test cases only when ctest runs).
  local targets=()
  local runnable=1
  if [ "$preset" = win32 ] && ! can_run_32bit; then
    runnable=0
  fi
  # Test discovery may run Windows test programs during the build already.
  case "$preset" in
    win32|win64)
      if [ "$runnable" = 1 ] && ! start_wine "$preset" "$preset"; then
        record "$preset" FAIL "Wine prefix/server"
        return
      fi
      ;;
  esac
  echo "== $preset: build ${targets[*]}"
  if ! cmake --build --preset "$preset" -j "$JOBS" "${targets[@]}" >"build/ci-$preset-build.log" 2>&1; then
    grep -E -B2 -A6 "error|Error" "build/ci-$preset-build.log" | head -n 80
    record "$preset" FAIL "build (log: build/ci-$preset-build.log)"
    return
  fi
  if ! bash tools/ci/check-exports.sh "build/$preset"; then
    record "$preset" FAIL "module exports/imports"
    return
  fi
  if [ "$runnable" = 0 ]; then
    local reason="module built and checked; tests built but not run: this kernel cannot run 32-bit programs"
    if [ "$QUORL_REQUIRE_ALL_TESTS" = 1 ]; then
      record "$preset" FAIL "$reason"
    else
      record "$preset" SKIP "$reason"
    fi
    return
  fi
  echo "== $preset: test"
  local log="build/ci-$preset-test.log"
  ctest --preset "$preset" --timeout "$TEST_TIMEOUT" -j "$JOBS" 2>&1 | tee "$log" | grep -E "tests passed|\*\*\*"
  local status=${PIPESTATUS[0]}
  local tally
  tally=$(grep -E "tests passed" "$log" | tail -n 1)
  if [ "$status" -ne 0 ]; then
    grep -E "^\s+[0-9]+ - " "$log" || true
    record "$preset" FAIL "${tally:-tests did not run} (log: $log)"
  else
    record "$preset" OK "$tally, $((SECONDS - start)) s"
  fi
  case "$preset" in win*) WINEPREFIX="$ROOT/build/$preset/wineprefix" wineserver -k >/dev/null 2>&1 || true ;; esac
}

mkdir -p build
TOTAL_START=$SECONDS
for preset in "${PRESETS[@]}"; do
  run_preset "$preset"
done

echo
echo "== summary ($((SECONDS - TOTAL_START)) s)"
printf '%s\n' "${SUMMARY[@]}"
if [ "$FAILED" -ne 0 ]; then
  echo "RESULT: FAILED"
  exit 1
fi
echo "RESULT: OK"
