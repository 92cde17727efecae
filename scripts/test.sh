#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build, the
# Windows cross build under Wine (scripts/test-windows.sh), the tests again under
# AddressSanitizer + UndefinedBehaviorSanitizer, the threaded device tests under
# ThreadSanitizer, and each fuzz target for a short while.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== format"
scripts/check-format.sh

echo "== build and test"
scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 300 -j "$jobs"

echo "== Debian package (lintian)"
rm -f build/valdrometrica_*.deb
(cd build && cpack -G DEB >/dev/null)
lintian --fail-on error,warning build/valdrometrica_*.deb

echo "== Windows cross build under Wine"
# Needs the Linux build above: the Windows tool is compared with it.
scripts/test-windows.sh

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DVALDRO_SANITIZE="address;undefined" -DVALDRO_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --timeout 600 -j "$jobs" -LE threaded

echo "== ThreadSanitizer (threaded tests)"
scripts/build.sh build-tsan -DVALDRO_SANITIZE=thread -DVALDRO_BUILD_BENCH=OFF -DVALDRO_BUILD_GUI=OFF
TSAN_OPTIONS="suppressions=$root/tests/tsan.supp halt_on_error=1" \
  ctest --test-dir build-tsan --output-on-failure --timeout 600 -j "$jobs" -L threaded

echo "== fuzz targets (short runs)"
CXX=clang++ scripts/build.sh build-fuzz -DVALDRO_BUILD_FUZZ=ON -DVALDRO_BUILD_GUI=OFF
for f in build-fuzz/bin/fuzz_*; do
  [ -x "$f" ] || continue
  echo "-- $(basename "$f")"
  "$f" -max_total_time=20 -print_final_stats=0 >/dev/null 2>"build-fuzz/$(basename "$f").log" \
    || { tail -n 40 "build-fuzz/$(basename "$f").log"; exit 1; }
done

echo "== all test stages passed"
