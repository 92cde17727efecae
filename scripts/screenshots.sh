#!/usr/bin/env bash
# Takes the manual's screenshots of the real window, driven by xdotool under
# Xvfb with the simulated unit, and writes them to docs/help/images/.
#
#   scripts/screenshots.sh [BUILD_DIR]      (default: build)
#
# Needs xvfb, xauth, xdotool and imagemagick. Rebuild afterwards so the help
# file picks the new pictures up.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
case $BUILD in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
PROGRAM=$BUILD/bin/valdrometrica
CLI=$BUILD/bin/valdrometrica-cli
OUT=$ROOT/docs/help/images

for tool in xvfb-run xdotool import python3; do
    command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing" >&2; exit 1; }
done
[ -x "$PROGRAM" ] && [ -x "$CLI" ] || { echo "screenshots.sh: build $PROGRAM and $CLI first" >&2; exit 1; }

# Re-run inside a private X server; the inner run does the work.
if [ "${VALDRO_SCREENSHOTS_INNER:-}" != 1 ]; then
    VALDRO_SCREENSHOTS_INNER=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$BUILD"
fi

WORK=$(mktemp -d)
PID=
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$WORK/runtime HOME=$WORK
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A small plant: two enabled Slaves with names, and an input map worth showing.
"$CLI" new -o "$WORK/defaults.dat"
"$CLI" export "$WORK/defaults.dat" -o "$WORK/plant.json"
python3 - "$WORK/plant.json" <<'PY'
import json, sys
path = sys.argv[1]
doc = json.load(open(path))
units = doc["units"]
units[1].update(deviceName="Boiler Room", slaveEnabled=1)
units[2].update(deviceName="Gate House", slaveEnabled=1, addressMode=1, url="gate.plant.example")
units[0]["invertInputs"][2] = 1
units[0]["invertInputs"][3] = 1
out1 = units[0]["outputs"][0]
out1.update(latch=1, resetUnit="Slave 1", resetInput=16)
out1["inputs"] = {"Master": [1, 2], "Slave 1": [5], "Slave 2": [3, 4]}
json.dump(doc, open(path, "w"), indent=2)
PY
"$CLI" import "$WORK/plant.json" -o "$WORK/plant.dat"

"$PROGRAM" --simulate "$WORK/plant.dat" &
PID=$!
WID=$(xdotool search --sync --name "ORVELIX Valdrometrica" | head -n 1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WID")"   # X, Y, WIDTH, HEIGHT

# Positions inside the window (883 x 606 client area).
click() { xdotool mousemove --window "$WID" "$1" "$2" click 1; sleep 0.7; }
shot() {  # name [width height left top], relative to the window
    local w=${2:-$WIDTH} h=${3:-$HEIGHT} l=${4:-0} t=${5:-0}
    import -window root -crop "${w}x${h}+$((X + l))+$((Y + t))" +repage "$OUT/$1.png"
    echo "screenshots.sh: $OUT/$1.png"
}
unit_tab() { click $((35 + 70 * $1)) 512; }
page_tab() { case $1 in general) click 33 12 ;; output) click 120 12 ;; status) click 203 12 ;; esac; }
answer_box() {  # press the default button of the message box that is open
    local box
    for _ in $(seq 50); do
        box=$(xdotool search --onlyvisible --pid "$PID" | grep -v "^$WID\$" | tail -n 1 || true)
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || { echo "screenshots.sh: no message box appeared" >&2; exit 1; }
    xdotool windowfocus --sync "$box"
    xdotool key Return
    sleep 0.7
}

mkdir -p "$OUT"
page_tab general
unit_tab 0
shot general
shot unit_selector "$WIDTH" 22 0 500
unit_tab 2
shot general_slave
unit_tab 0
page_tab output
xdotool mousemove --window "$WID" 237 106   # over input 5 of Slave 1: the boxes name it
sleep 0.5
shot output_control

# Download the plant into the simulated unit, so the Status page shows its names.
page_tab general
click 148 477
sleep 2
answer_box
page_tab status
click 363 480
sleep 3
shot status
