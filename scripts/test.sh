#!/usr/bin/env bash
# Builds the native and the Windows targets, runs the unit tests (plain and under
# AddressSanitizer + UndefinedBehaviorSanitizer), a short run of each fuzzer, the Windows
# layer's unit tests and the end-to-end tests under Wine, and ends with one line
# "N passed, N failed". Exits non-zero on any failure. Installs what it needs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$ORBELLE_ROOT"

ensure_packages "${BUILD_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}"
ensure_comma_locale

# The Windows build first: while its tests run, which mostly wait on Wine, the native, sanitizer
# and fuzz builds go on beside them at the lowest priority, which leaves the processor to the
# Windows programs whenever they want it.
build_preset windows -DORBELLE_WARNINGS_AS_ERRORS=ON
# The release zip, which the end-to-end tests unpack and run as a user would.
"$ORBELLE_ROOT/scripts/release.sh"

background_log="$ORBELLE_ROOT/build/background-builds.log"
say "building the native, sanitize and fuzz builds in the background ($background_log)"
# A session of its own, so that an early end of this script takes the compilers with it.
setsid nice -n 19 bash -c 'source "$ORBELLE_ROOT/scripts/common.sh"
  for preset in native sanitize fuzz; do
    build_preset "$preset" -DORBELLE_WARNINGS_AS_ERRORS=ON
  done' >"$background_log" 2>&1 &
background=$!
trap 'kill -- -"$background" 2>/dev/null || true' EXIT

results="$ORBELLE_ROOT/build/test-results"
rm -rf "$results"
mkdir -p "$results"

boot_prefix
say "unit tests of the Windows layer under Wine"
python3 tests/win32/run.py --build build/windows --results "$results/win32-unit.xml" || true

say "end-to-end tests under Wine"
python3 tests/e2e/run.py --build build/windows --results "$results/e2e.json" "$@" || true

say "waiting for the background builds"
if ! wait "$background"; then
  cat "$background_log" >&2
  die "a background build failed (its output above)"
fi
trap - EXIT

say "unit tests"
ctest --test-dir build/native -j "$(nproc)" --output-on-failure \
  --output-junit "$results/unit.xml" || true
say "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir build/sanitize -j "$(nproc)" --output-on-failure \
  --output-junit "$results/unit-sanitized.xml" || true

say "fuzzers, about twenty seconds each (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir build/fuzz -j "$(nproc)" --output-on-failure \
  --output-junit "$results/fuzz.xml" || true

python3 tests/summary.py "$results"
