# Helpers for the end-to-end tests: a private Xvfb, the real program started in
# its data folder, and screenshots through ImageMagick.
# Expects: APP (the program), DATA_DIR (its folder), SEND_CLOSE (the helper).
set -u

IM_CONVERT=/usr/bin/convert
IM_IMPORT=/usr/bin/import
WORK=$(mktemp -d)
XVFB_PID=""
APP_PID=""

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$WORK/app.err" ] && sed 's/^/  app stderr: /' "$WORK/app.err" >&2
  exit 1
}

# Starts Xvfb on a free display and exports DISPLAY.
start_xvfb() {
  exec 3>"$WORK/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
  done
  exec 3>&-
  [ -s "$WORK/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$WORK/display")"
}

# Starts the program in a copy of its data folder; optional argument: a script
# run inside the copy first (to remove or damage files).
start_app() {
  mkdir -p "$WORK/run"
  cp -r "$DATA_DIR"/. "$WORK/run/"
  if [ $# -gt 0 ]; then
    (cd "$WORK/run" && eval "$1")
  fi
  rm -f "$WORK/exit_code"
  (
    cd "$WORK/run" || exit
    "$APP" >"$WORK/app.out" 2>"$WORK/app.err" &
    echo $! >"$WORK/app.pid"
    wait $!
    echo $? >"$WORK/exit_code"
  ) &
  for _ in $(seq 50); do [ -s "$WORK/app.pid" ] && break; sleep 0.05; done
  APP_PID=$(cat "$WORK/app.pid")
}

# Waits for a window with this exact name; prints its id.
wait_window() {
  local name=$1 id=""
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    app_running || return 1
    sleep 0.1
  done
  return 1
}

app_running() { [ -n "$APP_PID" ] && [ ! -e "$WORK/exit_code" ] && kill -0 "$APP_PID" 2>/dev/null; }

# Waits for the program to end; prints its exit code.
wait_exit() {
  for _ in $(seq 150); do
    if [ -s "$WORK/exit_code" ]; then
      cat "$WORK/exit_code"
      return 0
    fi
    sleep 0.1
  done
  echo timeout
}

focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# Saves the window's picture as a PNG.
screenshot() { "$IM_IMPORT" -window "$1" "$2"; }

# Share (in percent) of pixels whose lit-or-dark state differs between two
# pictures inside the given crop (WxH+X+Y).
lit_mask_difference() {
  local a=$1 b=$2 crop=$3
  "$IM_CONVERT" "$a" -crop "$crop" +repage -colorspace gray -threshold 12% "$WORK/ma.png"
  "$IM_CONVERT" "$b" -crop "$crop" +repage -colorspace gray -threshold 12% "$WORK/mb.png"
  local total diff
  total=$("$IM_CONVERT" "$WORK/ma.png" -format '%[fx:w*h]' info:)
  diff=$(/usr/bin/compare -metric AE "$WORK/ma.png" "$WORK/mb.png" null: 2>&1 || true)
  echo $(( ${diff%.*} * 100 / total ))
}

# Counts the pixels inside the crop (WxH+X+Y) whose colour r g b (0..255)
# satisfies the awk condition, e.g. 'g > 60 && r < g / 3'.
count_pixels() {
  local picture=$1 crop=$2 condition=$3
  "$IM_CONVERT" "$picture" -crop "$crop" +repage -depth 8 rgb:- |
    od -An -v -tu1 -w3 |
    awk "{ r = \$1; g = \$2; b = \$3; if ($condition) n++ } END { print n + 0 }"
}
