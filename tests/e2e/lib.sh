# Shared helpers for the end-to-end tests: a private Xvfb display, the real program started in a
# scratch working folder, and clean-up of every process on any exit.
# Usage from a test script: source lib.sh "$@"   (arguments: binary, source dir, work dir)

set -u
quillmere=$1
sourceDir=$2
workDir=$3
xvfbPid=""
appPid=""

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$workDir/stdout.txt" ]; then
    echo "--- program stdout (tail) ---" >&2
    tail -n 20 "$workDir/stdout.txt" >&2
  fi
  if [ -f "$workDir/stderr.txt" ]; then
    echo "--- program stderr (tail) ---" >&2
    tail -n 20 "$workDir/stderr.txt" >&2
  fi
  # Inside a command substitution only the subshell would end: stop the test itself too, or it
  # goes on with an empty result (xwininfo -id "" waits for a click that never comes).
  [ "$BASHPID" != "$$" ] && kill -USR1 "$$"
  exit 1
}

cleanupE2E() {
  [ -n "$appPid" ] && kill -9 "$appPid" 2>/dev/null
  [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanupE2E EXIT INT TERM
trap 'exit 1' USR1

# A fresh working folder with a copy of the data set (the program writes into ./Data/).
prepareWorkDir() {
  rm -rf "$workDir"
  mkdir -p "$workDir"
  cp -r "$sourceDir/Data" "$workDir/Data"
  rm -f "$workDir"/Data/example*.bmp
}

startDisplay() {
  local displayFile="$workDir/.display"
  : >"$displayFile"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$displayFile" \
    2>"$workDir/xvfb.log" &
  xvfbPid=$!
  for _ in $(seq 1 100); do
    [ -s "$displayFile" ] && break
    sleep 0.1
  done
  [ -s "$displayFile" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$displayFile")"
  export LIBGL_ALWAYS_SOFTWARE=1
}

# startApp [args...]: runs the program in the work folder, console to stdout.txt / stderr.txt.
startApp() {
  # Line-buffered, so the console can be followed while the program runs.
  (cd "$workDir" && exec stdbuf -oL -eL "$quillmere" "$@" >stdout.txt 2>stderr.txt) &
  appPid=$!
}

# startLoaded [args...]: starts the program and waits for its window (titled for the model when
# the last argument names one) and the end of its first model load; the window's id goes to
# $window.
window=""
startLoaded() {
  local title=Quillmere last=${!#}
  [[ $# -gt 0 && "$last" == *.obj ]] && title="Quillmere - ${last##*/}"
  startApp "$@"
  window=$(findWindow "$title")
  waitForText "$workDir/stdout.txt" "Limites: "
}

# findWindow [TITLE]: waits (up to 60 s) for the window with exactly this title (Quillmere by
# default) and prints its id.
findWindow() {
  local title=${1:-Quillmere} id=""
  for _ in $(seq 1 600); do
    id=$(xdotool search --name "^$title\$" 2>/dev/null | head -n1)
    [ -n "$id" ] && break
    kill -0 "$appPid" 2>/dev/null || fail "the program ended before its window appeared"
    sleep 0.1
  done
  [ -n "$id" ] || fail "no window titled $title"
  echo "$id"
}

# waitForText FILE TEXT [seconds]: waits until FILE holds TEXT.
waitForText() {
  local file=$1 text=$2 limit=${3:-120}
  for _ in $(seq 1 $((limit * 10))); do
    grep -qF -- "$text" "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "timed out waiting for '$text' in $file"
}

# countText FILE TEXT: number of lines holding TEXT.
countText() { grep -cF -- "$2" "$1" 2>/dev/null || true; }

# waitForExit [seconds]: waits for the program to end and sets exitStatus.
# (Not for use in a command substitution: only this shell can wait for its child.)
exitStatus=""
waitForExit() {
  local limit=${1:-30}
  for _ in $(seq 1 $((limit * 10))); do
    if ! kill -0 "$appPid" 2>/dev/null; then
      wait "$appPid"
      exitStatus=$?
      appPid=""
      return 0
    fi
    sleep 0.1
  done
  fail "the program did not exit within $limit s"
}

# pressKey WINDOW KEYSYM...
pressKey() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key --clearmodifiers "${@:2}"
}

# quitWithEscape [seconds]: Escape ends the program with status 0.
quitWithEscape() {
  pressKey "$window" Escape
  waitForExit "${1:-30}"
  [ "$exitStatus" = 0 ] || fail "exit status $exitStatus after Escape"
}

# expectRunning MESSAGE: fails with MESSAGE when the program has ended.
expectRunning() { kill -0 "$appPid" 2>/dev/null || fail "$1"; }

# shot NAME [seconds]: after a pause for the next frames (half a second by default), the window
# $window as $workDir/NAME.png.
shot() {
  sleep "${2:-0.5}"
  import -window "$window" "$workDir/$1.png" 2>/dev/null || fail "screenshot failed"
}

# drag WINDOW BUTTON X0 Y0 X1 Y1: a real press, motion in steps, release.
drag() {
  local window=$1 button=$2 x0=$3 y0=$4 x1=$5 y1=$6
  xdotool mousemove --window "$window" "$x0" "$y0" mousedown "$button"
  for step in 1 2 3 4; do
    xdotool mousemove --window "$window" $((x0 + (x1 - x0) * step / 4)) $((y0 + (y1 - y0) * step / 4))
    sleep 0.05
  done
  xdotool mouseup "$button"
}

# litFraction FILE.png [REGION]: share (0..1) of the region (by default the centre 200x200) that
# is not black.
litFraction() {
  convert "$1" -crop "${2:-200x200+100+100}" +repage -fill white +opaque black -colorspace Gray \
    -format '%[fx:mean]' info:
}

# colourCount FILE.png: distinct colours in the centre 200x200 region.
colourCount() { convert "$1" -crop 200x200+100+100 +repage -format '%k' info:; }

# rowCentroid FILE.png: mean row of the non-black pixels (0 top, 399 bottom).
rowCentroid() {
  convert "$1" -fill white +opaque black -colorspace Gray -filter box -resize '1x!' -depth 16 txt:- |
    awk -F'[,:() ]+' 'NR > 1 { y = $2; v = $4; s += v; m += v * y } END { if (s > 0) printf "%.1f\n", m / s; else print -1 }'
}

# atLeast A B: true when the number A >= B.
atLeast() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# sameImage A.png B.png: true when the two pictures have identical pixels.
sameImage() {
  [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" = 0 ]
}

# waitForCount FILE TEXT N [seconds]: waits until TEXT occurs on at least N lines.
waitForCount() {
  local file=$1 text=$2 count=$3 limit=${4:-120}
  for _ in $(seq 1 $((limit * 10))); do
    [ "$(countText "$file" "$text")" -ge "$count" ] && return 0
    kill -0 "$appPid" 2>/dev/null || fail "the program ended while waiting for '$text'"
    sleep 0.1
  done
  fail "timed out waiting for $count x '$text'"
}

# Resident memory of the program in kB.
residentKB() { awk '/^VmRSS:/ {print $2}' "/proc/$appPid/status"; }

prepareWorkDir
startDisplay

# Debian's own Python carries Pillow; a python3 earlier on the PATH may not.
pillowPython=/usr/bin/python3
[ -x "$pillowPython" ] || pillowPython=python3

# modelStats FILE.png: the pixels that differ from the background (the colour of the top-left
# corner) by more than 12 levels in some channel, as "count spread left top right bottom";
# spread is the standard deviation of their luminance 0.299 R + 0.587 G + 0.114 B (0-255), and
# a picture without such pixels gives "0 0 -1 -1 -1 -1".
modelStats() {
  "$pillowPython" - "$1" <<'PY' || fail "cannot measure $1"
import sys
from PIL import Image
image = Image.open(sys.argv[1]).convert("RGB")
width, height = image.size
pixels = image.load()
background = pixels[0, 0]
values, xs, ys = [], [], []
for y in range(height):
    for x in range(width):
        p = pixels[x, y]
        if max(abs(p[i] - background[i]) for i in range(3)) > 12:
            values.append(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2])
            xs.append(x)
            ys.append(y)
if not values:
    print("0 0 -1 -1 -1 -1")
else:
    mean = sum(values) / len(values)
    spread = (sum((v - mean) ** 2 for v in values) / len(values)) ** 0.5
    print(len(values), "%.1f" % spread, min(xs), min(ys), max(xs), max(ys))
PY
}

# cpuTicks: the program's user and system time so far, in clock ticks.
cpuTicks() { awk '{ print $14 + $15 }' "/proc/$appPid/stat"; }
