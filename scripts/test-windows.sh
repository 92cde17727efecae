#!/usr/bin/env bash
# The Windows cross build, checked on this Debian machine:
#   1. cross-builds the Qt-free libraries, valdrometrica-cli.exe and every Qt-free
#      test with MinGW-w64 (build-windows/, Release);
#   2. runs those tests under Wine;
#   3. runs valdrometrica-cli.exe under Wine beside the Linux build's
#      build/bin/valdrometrica-cli (built before this script runs) and compares
#      the files they write and the text they print;
#   4. compiles every source file of the window for Windows, syntax only (Debian
#      has no Qt for MinGW, so the window cannot be linked here);
#   5. packs the ZIP and checks what is in it.
# Before all that, it checks that no POSIX header is included outside the files
# that are built for Linux only.
# Any failure, error or warning fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build-windows
linux_cli=$root/build/bin/valdrometrica-cli
jobs=$(nproc)

[ -x "$linux_cli" ] || { echo "missing $linux_cli: build the Linux tree first" >&2; exit 1; }

step() {
  echo "-- $1 (${SECONDS}s)"
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

step "portable sources"
# MinGW has some POSIX headers (unistd.h), so the compiler alone would let their
# calls through: only files named *_posix.* or *_linux.*, and the bridge (not built
# for Windows), may include them.
posix_headers='#include <(unistd|fcntl|signal|pthread|dirent|poll|termios|dlfcn|pwd|grp|sched)\.h>|#include <(sys|netinet|arpa)/'
if git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' |
  grep -vE '_(posix|linux)\.(cpp|h)$|^(src|tests)/bridge/' |
  xargs grep -nE "$posix_headers"; then
  fail "POSIX headers outside the POSIX-only files"
fi

step "cross build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64.cmake" >/dev/null
# The build fails on any compiler warning too.
log=$build/build.log
cmake --build "$build" --parallel "$jobs" >"$log" 2>&1 || { tail -n 60 "$log"; fail "cross build"; }
if grep -n "warning:" "$log"; then
  fail "the cross build has warnings"
fi

# One Wine prefix for the tests and the runs below; its server stays up between
# runs (started here, stopped on the way out) so each start is quick.
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
mkdir -p "$WINEPREFIX"
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
"$wine" cmd /c exit >/dev/null 2>&1 || true  # creates the prefix on a first run

step "tests under Wine"
ctest --test-dir "$build" --output-on-failure --timeout 600 -j "$jobs"

step "valdrometrica-cli under Wine against the Linux build"
work=$build/compare
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"
win_cli=$build/bin/valdrometrica-cli.exe
# wcli ARGS...: the Windows tool, its exit status in $status. Paths are given as
# they are: Wine reads /a/b as Z:\a\b.
wcli() {
  status=0
  "$wine" "$win_cli" "$@" || status=$?
}
lcli() {
  status=0
  "$linux_cli" "$@" || status=$?
}
same_file() {  # same_file WHAT LINUX WINDOWS
  cmp -s "$2" "$3" || fail "$1: the files differ ($2, $3)"
}
same_text() {  # same_text WHAT LINUX WINDOWS: the same apart from line ends
  diff <(cat "$2") <(tr -d '\r' <"$3") >/dev/null || {
    diff <(cat "$2") <(tr -d '\r' <"$3") | head -n 20
    fail "$1: the text differs"
  }
}
expect_status() {  # expect_status WHAT WANTED
  [ "$status" -eq "$2" ] || fail "$1: exit status $status, not $2"
}

L=$work/linux W=$work/windows
lcli new -o "$L/new.dat"
wcli new -o "$W/new.dat"
expect_status "new" 0
same_file "new" "$L/new.dat" "$W/new.dat"

# An edited configuration: names (one with text beyond ASCII), an address, a
# slave switched on and two map cells.
lcli export "$L/new.dat" -o "$work/defaults.json"
sed -e '0,/"deviceName": "Master"/s//"deviceName": "Kesselhaus Süd"/' \
    -e '0,/"ipAddress": \[192, 168, 0, 9\]/s//"ipAddress": [10, 1, 2, 3]/' \
    -e '0,/"slaveEnabled": 0/s//"slaveEnabled": 1/' \
    "$work/defaults.json" >"$work/edited.json"
cmp -s "$work/defaults.json" "$work/edited.json" && fail "the edits did not apply"
lcli import "$work/edited.json" -o "$L/edited.dat"
wcli import "$work/edited.json" -o "$W/edited.dat"
expect_status "import" 0
same_file "import" "$L/edited.dat" "$W/edited.dat"
wcli import - -o "$W/stdin.dat" <"$work/edited.json"
expect_status "import from standard input" 0
same_file "import from standard input" "$L/edited.dat" "$W/stdin.dat"

lcli export "$L/edited.dat" -o "$L/edited.json"
wcli export "$L/edited.dat" -o "$W/edited.json"
expect_status "export" 0
same_file "export" "$L/edited.json" "$W/edited.json"

for file in new edited; do
  lcli show "$L/$file.dat" >"$L/show-$file.txt"
  wcli show "$L/$file.dat" >"$W/show-$file.txt"
  expect_status "show $file" 0
  same_text "show $file" "$L/show-$file.txt" "$W/show-$file.txt"
done
lcli diff "$L/new.dat" "$L/edited.dat" >"$L/diff.txt"
wcli diff "$L/new.dat" "$L/edited.dat" >"$W/diff.txt"
expect_status "diff" 1
[ -s "$L/diff.txt" ] || fail "diff printed nothing"
same_text "diff" "$L/diff.txt" "$W/diff.txt"

# The same reports both ways; only the time stamps differ.
lcli download "$L/edited.dat" --simulate --trace "$L/download.trace" 2>/dev/null
wcli download "$L/edited.dat" --simulate --trace "$W/download.trace" 2>/dev/null
expect_status "download --simulate" 0
grep -q $'\r' "$W/download.trace" && fail "the trace has Windows line ends"
untimed() { sed -E 's/ [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]{12}Z$//' "$1"; }
[ "$(wc -l <"$L/download.trace")" -gt 200 ] || fail "the Linux trace is short"
diff <(untimed "$L/download.trace") <(untimed "$W/download.trace") >/dev/null ||
  fail "download --simulate: the trace lines differ"

# The native backend on a machine without a unit (Wine lists HID devices of its
# own): nothing on standard output, the message on standard error, status 1.
wcli list >"$W/list.out" 2>"$W/list.err"
expect_status "list" 1
[ ! -s "$W/list.out" ] || fail "list printed on standard output: $(cat "$W/list.out")"
[ "$(tr -d '\r' <"$W/list.err")" = "valdrometrica-cli: No ORVELIX unit found." ] ||
  fail "list said: $(cat "$W/list.err")"

# Saving over a read-only file and into a missing folder: "Error Saving File.",
# status 1, and the old file as it was.
cp "$L/new.dat" "$W/read-only.dat"
chmod a-w "$W/read-only.dat"
wcli import "$work/edited.json" -o "$W/read-only.dat" 2>"$W/save.err"
expect_status "saving over a read-only file" 1
grep -q "read-only.dat: Error Saving File." "$W/save.err" || fail "read-only: $(cat "$W/save.err")"
same_file "the read-only file" "$L/new.dat" "$W/read-only.dat"
wcli new -o "$W/no-such-folder/x.dat" 2>"$W/save.err"
expect_status "saving into a missing folder" 1
grep -q "x.dat: Error Saving File." "$W/save.err" || fail "missing folder: $(cat "$W/save.err")"
[ ! -e "$W/no-such-folder" ] || fail "a folder was made"
chmod u+w "$W/read-only.dat"

step "the window's sources for Windows, syntax only"
qt=/usr/include/x86_64-linux-gnu/qt6
stage=$build/ui-syntax-include
mkdir -p "$stage"
cp /usr/include/chm_lib.h "$stage/"  # the header alone: never the host's /usr/include
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Wno-attributes
  -DQT_NO_CAST_FROM_ASCII -DQT_NO_CONTEXTLESS_CONNECT
  -I"$root/src" -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets"
  -I"$build/cross-include" -I"$stage")
export flags_text="${flags[*]}"
find src/ui -name '*.cpp' | sort >"$build/ui-sources.txt"
[ -s "$build/ui-sources.txt" ] || fail "no sources under src/ui"
# Each file's diagnostics in a file of its own; any line there is a failure.
rm -rf "$build/ui-syntax" && mkdir -p "$build/ui-syntax"
xargs -P "$jobs" -I{} sh -c \
  'x86_64-w64-mingw32-g++-posix $flags_text "$1" >"$2/$(echo "$1" | tr / _).log" 2>&1 || true' \
  _ {} "$build/ui-syntax" <"$build/ui-sources.txt"
if grep -l . "$build"/ui-syntax/*.log >/dev/null 2>&1; then
  grep -h . "$build"/ui-syntax/*.log | head -n 40
  fail "the window's sources do not compile cleanly for Windows"
fi
echo "   $(wc -l <"$build/ui-sources.txt") files"

step "ZIP"
rm -rf "$build"/valdrometrica-cli-*-windows-x64.zip "$build/zip-check"
(cd "$build" && cpack -G ZIP >/dev/null)
zip=$(ls "$build"/valdrometrica-cli-*-windows-x64.zip)
listing=$(cmake -E tar tf "$zip" | sed 's|^[^/]*/||' | grep -v '/$' | sort)
expected=$(printf '%s\n' LICENSE README.md bin/valdrometrica-cli.exe bin/valdrometrica.chm \
  valdrometrica-cli.txt | sort)
[ "$listing" = "$expected" ] || fail "the ZIP holds:"$'\n'"$listing"
mkdir -p "$build/zip-check"
(cd "$build/zip-check" && cmake -E tar xf "$zip")
unpacked=$(echo "$build"/zip-check/*)
cmp -s "$unpacked/bin/valdrometrica-cli.exe" "$win_cli" || fail "the ZIP's program"
cmp -s "$unpacked/LICENSE" LICENSE || fail "the ZIP's licence"
grep -q "^EXIT STATUS" "$unpacked/valdrometrica-cli.txt" || fail "the manual page as text"
echo "   $(basename "$zip"): $(du -k "$zip" | cut -f1) KiB"

step "Windows stage passed"
