# Helpers for the end-to-end tests: a private Xvfb, the real program started in
# its data folder, and screenshots through ImageMagick.
# Expects: APP (the program), DATA_DIR (its folder), SEND_CLOSE (the helper).
set -u

WORK=$(mktemp -d)

# Every call that asks another program for something (the X server, a window
# manager, a compositor) runs under a deadline, in these scripts and in any
# shell they start: a tool that would wait for ever (xdotool's sync option for a
# focus that never comes, import on a server that stopped answering) fails
# its step after CALL_SECONDS instead, and says what it waited for in
# timeouts.log, which fail() prints. Long-lived helpers (xev, xcompmgr,
# openbox) are started by their own names and are not wrapped.
CALL_SECONDS=30
mkdir -p "$WORK/bin"
for tool in xdotool xwininfo xprop xdpyinfo xset xrandr import swaymsg grim; do
  real=$(command -v "$tool") || continue
  cat >"$WORK/bin/$tool" <<WRAPPER
#!/bin/sh
timeout $CALL_SECONDS "$real" "\$@"
code=\$?
[ \$code = 124 ] && echo "gave up after $CALL_SECONDS s waiting for: $tool \$*" >>"$WORK/timeouts.log"
exit \$code
WRAPPER
  chmod +x "$WORK/bin/$tool"
done
PATH=$WORK/bin:$PATH
IM_CONVERT=/usr/bin/convert
IM_IMPORT=$(command -v import)
XVFB_PID=""
APP_PID=""

# How long a wait for something that should happen may take, in seconds of
# wall-clock time. Generous on purpose: on a machine busy with other tests and
# builds a step that takes a tenth of a second alone can take many seconds.
# A wait returns as soon as its condition holds, so only a failure waits this
# long; the tests' CTest timeout leaves room for it.
WAIT_SECONDS=60

# Microseconds since the epoch, in the variable CLOCK_US (no subshell).
read_clock() { CLOCK_US=${EPOCHREALTIME/[.,]/}; }

# Polls a condition until it holds.
#   wait_until [--while CHECK] [--every SECONDS] DEADLINE COMMAND [ARG...]
# Runs COMMAND (in this shell, so it may set variables or call fail) every
# SECONDS of --every (default 0.1) until it succeeds, and then returns 0 at
# once. Returns 1 once DEADLINE seconds of wall-clock time have passed since
# the call, COMMAND having run one last time after the deadline, or as soon as
# the command CHECK fails (what COMMAND waits for can no longer come, e.g. the
# program ended).
wait_until() {
  local check="" every=0.1 deadline_us start_us
  while [ $# -gt 0 ]; do
    case "$1" in
    --while) check=$2; shift 2 ;;
    --every) every=$2; shift 2 ;;
    *) break ;;
    esac
  done
  read_clock; start_us=$CLOCK_US
  deadline_us=$((start_us + $1 * 1000000))
  shift
  while :; do
    "${@}" && return 0
    read_clock
    [ "$CLOCK_US" -lt "$deadline_us" ] || return 1
    if [ -n "$check" ] && ! "$check"; then return 1; fi
    sleep "$every"
  done
}

# Checks that a condition holds throughout a stretch of time.
#   holds_throughout SECONDS COMMAND [ARG...]
# Runs COMMAND (in this shell) every tenth of a second for SECONDS of
# wall-clock time; returns 1 as soon as it fails, 0 when it held every time.
holds_throughout() {
  local end_us
  read_clock; end_us=$((CLOCK_US + $1 * 1000000))
  shift
  while :; do
    "${@}" || return 1
    read_clock
    [ "$CLOCK_US" -lt "$end_us" ] || return 0
    sleep 0.1
  done
}

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$WORK/timeouts.log" ] && sed 's/^/  /' "$WORK/timeouts.log" >&2
  [ -f "$WORK/app.err" ] && sed 's/^/  app stderr: /' "$WORK/app.err" >&2
  exit 1
}

# Starts Xvfb on a free display and exports DISPLAY; XVFB_ARGS adds options.
# The server must not reset when its last client leaves: a client that
# connects during a reset (the program or the window log starting while
# xdotool or xprop polls) is turned away with "unable to open display".
start_xvfb() {
  exec 3>"$WORK/display"
  # shellcheck disable=SC2086 # XVFB_ARGS holds extra server options, one word each
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset ${XVFB_ARGS:-} >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_until "$WAIT_SECONDS" test -s "$WORK/display"
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
  launch_in "$WORK/run" "$APP"
}

# Starts a command (with its arguments) in the background in folder DIR, its
# output in app.out and app.err and, once it ends, its exit code in exit_code.
launch_in() {
  local dir=$1
  shift
  rm -f "$WORK/exit_code" "$WORK/app.pid"
  (
    cd "$dir" || exit
    "$@" >"$WORK/app.out" 2>"$WORK/app.err" &
    echo $! >"$WORK/app.pid"
    wait $!
    echo $? >"$WORK/exit_code"
  ) &
  wait_until "$WAIT_SECONDS" test -s "$WORK/app.pid" || fail "the program was not started: $*"
  APP_PID=$(cat "$WORK/app.pid")
}

# Starts the program with ARGS in a copy of its data folder.
start_app_with() {
  mkdir -p "$WORK/run"
  cp -r "$DATA_DIR"/. "$WORK/run/"
  launch_in "$WORK/run" "$APP" "$@"
}

# Prints the id of a shown window with this exact name; false when none is.
find_window() {
  local id
  id=$(xdotool search --onlyvisible --name "^${1}\$" 2>/dev/null | head -n 1)
  [ -n "$id" ] && echo "$id"
}

# Waits for a shown window with this exact name while the program runs;
# prints its id.
wait_window() { wait_until --while app_running "$WAIT_SECONDS" find_window "$1"; }

app_running() { [ -n "$APP_PID" ] && [ ! -e "$WORK/exit_code" ] && kill -0 "$APP_PID" 2>/dev/null; }

# Waits for the program to end; prints its exit code, or "timeout".
wait_exit() {
  if wait_until "$WAIT_SECONDS" test -s "$WORK/exit_code"; then
    cat "$WORK/exit_code"
  else
    echo timeout
  fi
}

focus() { timeout 30 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# Saves the window's picture as a PNG.
screenshot() { "$IM_IMPORT" -window "$1" "$2"; }

# Share (in percent) of pixels whose lit-or-dark state differs between two
# pictures inside the given crop (WxH+X+Y).
lit_mask_difference() {
  local a=$1 b=$2 crop=$3
  "$IM_CONVERT" "$a" -crop "$crop" +repage -colorspace gray -threshold 12% "$WORK/ma.png"
  "$IM_CONVERT" "$b" -crop "$crop" +repage -colorspace gray -threshold 12% "$WORK/mb.png"
  local total diff
  total=$("$IM_CONVERT" "$WORK/ma.png" -format '%w*%h' info:)
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

# The green of the room's glowing grid lines, as a condition on r g b: a
# cleared or black window has none of it.
GRID_COLOUR='g > 20 && r < g / 2 && b < g'

# Share (in percent) of the pixels inside the crop (WxH+X+Y, inside the
# picture; the whole picture when left out) in the green of the grid lines.
grid_share() {
  local picture=$1 crop=${2:-} width height
  [ -n "$crop" ] || crop=$("$IM_CONVERT" "$picture" -format '%wx%h+0+0' info:) || return 1
  width=${crop%%x*}
  height=${crop#*x}
  height=${height%%+*}
  echo $(($(count_pixels "$picture" "$crop" "$GRID_COLOUR") * 100 / (width * height)))
}

# True when PICTURE shows the room's grid on at least MIN % of each crop
# (WxH+X+Y) given; GRIDS holds the shares seen.
#   picture_shows_grid PICTURE MIN CROP...
picture_shows_grid() {
  local picture=$1 min=$2 crop
  shift 2
  GRIDS=""
  for crop in "$@"; do GRIDS="$GRIDS $(grid_share "$picture" "$crop")"; done
  for crop in $GRIDS; do [ "$crop" -ge "$min" ] || return 1; done
}

# --- Message boxes, pictures and memory, for the fault tests ---

# Ids of the mapped top-level windows whose title is exactly NAME. Read with
# xwininfo rather than xdotool: SDL's X11 message box stores its WM_NAME with
# an encoding atom ("UTF-8") that xdotool's name search cannot decode, so
# `xdotool search --name` never finds the box.
viewable_windows_named() {
  local name=$1 id
  for id in $(xwininfo -root -children 2>/dev/null |
    awk -v want="\"$name\":" '$1 ~ /^0x/ && $2 == want { print $1 }'); do
    xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable" && echo "$id"
  done
}

# Lists the mapped top-level windows, one a line: ID, a tab, its title as
# xwininfo shows it (quoted), a tab, its class hint (empty for SDL's message
# boxes, which set none).
viewable_top_windows() {
  local id line
  xwininfo -root -children 2>/dev/null | grep -E '^ +0x[0-9a-f]+ ' | while read -r line; do
    id=${line%% *}
    xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable" || continue
    echo "$line" | sed -E 's/^(0x[0-9a-f]+) (.*): \((.*)\) +[0-9]+x[0-9]+.*$/\1\t\2\t\3/'
  done
}

# True while the window exists and is mapped.
window_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
window_hidden() { ! window_viewable "$1"; }

# Prints the title of a window as its _NET_WM_NAME and its WM_NAME, one per line.
window_titles() {
  xprop -id "$1" -notype _NET_WM_NAME WM_NAME 2>/dev/null | sed -n 's/^[A-Z_]* = "\(.*\)"$/\1/p'
}

# Renders TEXT in an X core font (drawn by the X server, as the message box
# draws its text) and saves it, trimmed to its glyphs, as a black-and-white PNG.
# Prints the size of the result (WxH).
render_font_text() {
  local font=$1 text=$2 out=$3
  "$IM_CONVERT" -font "$font" -background black -fill white label:"$text" \
    -colorspace gray -threshold 50% -trim +repage -write "$out" -format '%wx%h' info: 2>/dev/null
}

# True when two black-and-white pictures are identical in size and pixels.
same_bitmap() {
  local a=$1 b=$2 size_a size_b diff
  size_a=$("$IM_CONVERT" "$a" -format '%wx%h' info: 2>/dev/null) || return 1
  size_b=$("$IM_CONVERT" "$b" -format '%wx%h' info: 2>/dev/null) || return 1
  [ "$size_a" = "$size_b" ] || return 1
  diff=$(/usr/bin/compare -metric AE "$a" "$b" null: 2>&1)
  [ "$diff" = 0 ]
}

# Checks that the black-and-white glyph picture GLYPHS shows exactly TEXT: some
# X core font of the server must draw TEXT pixel for pixel the same, and the
# same font must draw a slightly different text differently. The candidates
# are the fonts SDL asks for first, in the order the server lists them.
bitmap_shows_text() {
  local glyphs=$1 text=$2 font decoy size
  decoy="${text%?}#"
  size=$("$IM_CONVERT" "$glyphs" -format '%wx%h' info: 2>/dev/null) || return 1
  while IFS= read -r font; do
    [ -n "$font" ] || continue
    [ "$(render_font_text "$font" "$text" "$WORK/ref_text.png")" = "$size" ] || continue
    if same_bitmap "$glyphs" "$WORK/ref_text.png"; then
      render_font_text "$font" "$decoy" "$WORK/ref_decoy.png" >/dev/null || return 1
      same_bitmap "$glyphs" "$WORK/ref_decoy.png" && return 1
      return 0
    fi
  done < <(
    echo "-misc-fixed-medium-r-normal--13-120-75-75-c-70-iso10646-1"
    for pattern in '-*-*-medium-r-normal--*-120-*-*-*-*-iso10646-1' '-*-*-medium-r-normal--*-120-*-*-*-*-iso8859-1' \
      '-*-*-medium-r-normal--0-120-*-*-p-0-iso8859-1'; do
      xlsfonts -fn "$pattern" 2>/dev/null
    done | awk '!seen[$0]++'
  )
  return 1
}

# Prints the row bands (FIRST LAST, one per line) of a picture that hold any
# pixel lighter than its background.
lit_row_bands() {
  local picture=$1 height
  height=$("$IM_CONVERT" "$picture" -format '%h' info:)
  "$IM_CONVERT" "$picture" -colorspace gray -threshold 30% -scale "1x${height}!" -depth 8 gray:- |
    od -An -v -tu1 -w1 |
    awk '{ lit = $1 > 0 } lit && start < 0 { start = NR - 1 } !lit && start >= 0 { print start, NR - 2; start = -1 }
         BEGIN { start = -1 } END { if (start >= 0) print start, NR - 1 }'
}

# Checks a picture of SDL's message box: one line of text that reads TEXT, and
# below it one button labelled OK. Sets BOX_BUTTON_CENTRE ("X Y" in the box).
# Prints what it found when the check fails; returns 2 when the picture does
# not (yet) hold a line of text above a button.
message_box_reads() {
  local picture=$1 text=$2 width bands line_top line_bottom button_top button_bottom button bw bh bx by
  width=$("$IM_CONVERT" "$picture" -format '%w' info:)
  bands=$(lit_row_bands "$picture")
  if [ "$(echo "$bands" | grep -c .)" -ne 2 ]; then
    echo "expected a line of text above one row of buttons, found lit rows: $(echo $bands)"
    return 2
  fi
  read -r line_top line_bottom < <(echo "$bands" | sed -n 1p)
  read -r button_top button_bottom < <(echo "$bands" | sed -n 2p)
  # The text is drawn in the brightest colour of the box.
  "$IM_CONVERT" "$picture" -crop "${width}x$((line_bottom - line_top + 1))+0+$line_top" +repage \
    -colorspace gray -threshold 65% -trim +repage "$WORK/box_text.png"
  if ! bitmap_shows_text "$WORK/box_text.png" "$text"; then
    echo "the message does not read \"$text\" (see $WORK/box_text.png)"
    return 1
  fi
  button=$("$IM_CONVERT" "$picture" -crop "${width}x$((button_bottom - button_top + 1))+0+$button_top" +repage \
    -colorspace gray -threshold 30% -format '%@' info:)
  bw=${button%%x*}
  bh=$(echo "$button" | sed 's/^[0-9]*x\([0-9]*\)+.*/\1/')
  bx=$(echo "$button" | sed 's/^[0-9]*x[0-9]*+\([0-9]*\)+.*/\1/')
  by=$((button_top + $(echo "$button" | sed 's/^[0-9]*x[0-9]*+[0-9]*+\([0-9]*\)$/\1/')))
  # One button is at least SDL's minimum width of 64 pixels; two would span
  # more than twice that.
  if [ "$bw" -lt 40 ] || [ "$bw" -gt 127 ] || [ "$bh" -lt 12 ] || [ "$bh" -gt 60 ]; then
    echo "expected one button below the message, found a lit area of $button"
    return 1
  fi
  # The label inside its border, drawn in the text colour.
  "$IM_CONVERT" "$picture" -crop "$((bw - 6))x$((bh - 6))+$((bx + 3))+$((by + 3))" +repage \
    -colorspace gray -threshold 65% -trim +repage "$WORK/box_button.png"
  if ! bitmap_shows_text "$WORK/box_button.png" "OK"; then
    echo "the button (${bw}x$bh at $bx,$by) is not labelled OK"
    return 1
  fi
  BOX_BUTTON_CENTRE="$((bx + bw / 2)) $((by + bh / 2))"
  return 0
}

# Share (in percent) of the picture's pixels that are not close to black.
lit_share() {
  local picture=$1 total lit
  total=$("$IM_CONVERT" "$picture" -format '%w*%h' info:)
  lit=$(count_pixels "$picture" "$("$IM_CONVERT" "$picture" -format '%wx%h+0+0' info:)" 'r + g + b > 60')
  echo $((lit * 100 / total))
}

# True when VALUE is a whole number no greater than LIMIT (a comparison of
# pictures that could not be made gives no number).
at_most() { [[ $1 =~ ^[0-9]+$ ]] && [ "$1" -le "$2" ]; }

# Number of pixels that differ (by more than a little) between two pictures.
pixels_changed() {
  local diff
  diff=$(/usr/bin/compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 || true)
  # Past a million, compare writes the count as 1.05472e+06.
  if [[ $diff =~ ^[0-9.]+(e\+[0-9]+)?$ ]]; then
    awk -v n="$diff" 'BEGIN { printf "%d\n", n }'
  else
    echo "$diff"
  fi
}

# Waits while the program runs until the window shows a drawn picture, at
# least MIN_LIT % of it lit, and saves that picture as OUT. The first frames
# come late on a busy machine.
#   wait_for_picture WINDOW OUT MIN_LIT
wait_for_picture() { wait_until --while app_running --every 0.5 "$WAIT_SECONDS" picture_lit "$@"; }

picture_lit() { screenshot "$1" "$2" 2>/dev/null && [ "$(lit_share "$2")" -ge "$3" ]; }

# Waits while the program runs until the window's picture differs from the
# picture REFERENCE in at least MIN_PIXELS pixels, and saves it as OUT.
#   wait_for_change WINDOW REFERENCE OUT MIN_PIXELS
wait_for_change() { wait_until --while app_running --every 0.5 "$WAIT_SECONDS" picture_changed "$@"; }

picture_changed() {
  local changed
  screenshot "$1" "$3" 2>/dev/null || return 1
  changed=$(pixels_changed "$2" "$3")
  [[ $changed =~ ^[0-9]+$ ]] && [ "$changed" -ge "$4" ]
}

# The window's place and size on the screen, as WxH+X+Y.
geometry_of() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print w "x" h "+" x "+" y }'
}

# Starts a window of another program of WIDTH x HEIGHT (MAKE_WINDOW); sets
# COVER to its id and COVER_PID to its process.
start_cover() {
  rm -f "$WORK/cover.id"
  "$MAKE_WINDOW" 8 "$1" "$2" >"$WORK/cover.id" &
  COVER_PID=$!
  wait_until "$WAIT_SECONDS" test -s "$WORK/cover.id" || fail "no window of another program"
  COVER=$(cat "$WORK/cover.id")
}

# Starts openbox and waits until it has taken the screen.
start_window_manager() {
  openbox --config-file /dev/null >"$WORK/openbox.log" 2>&1 &
  wait_until 60 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    fail "openbox did not start"
}

# Starts xcompmgr, a compositing manager, and waits until it runs. From then
# on the X server reports every window as unobscured, however covered.
start_compositor() {
  xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
  wait_until "$WAIT_SECONDS" sh -c "xdotool search --name '^xcompmgr\$' >/dev/null 2>&1" ||
    fail "xcompmgr did not start"
}

# Puts a stand-in for the DPMS extension, which Xvfb lacks, in front of the
# server of start_xvfb (dpms_proxy.py: it answers the extension's requests
# itself, from one pretend monitor) and exports its display as DISPLAY, the
# server's own in XVFB_DISPLAY. `xset dpms force off` then powers that
# monitor down for every client of the proxy.
start_dpms_proxy() {
  # shellcheck disable=SC2034 # for the scripts that reach the server itself
  XVFB_DISPLAY=$DISPLAY
  python3 "$(dirname "${BASH_SOURCE[0]}")/dpms_proxy.py" "$DISPLAY" >"$WORK/dpms_proxy.out" 2>"$WORK/dpms_proxy.err" &
  DPMS_PROXY_PID=$!
  trap 'kill "$DPMS_PROXY_PID" 2>/dev/null; cleanup' EXIT
  wait_until "$WAIT_SECONDS" test -s "$WORK/dpms_proxy.out" ||
    fail "the DPMS proxy did not start: $(cat "$WORK/dpms_proxy.err")"
  export DISPLAY=":$(head -n 1 "$WORK/dpms_proxy.out")"
  timeout "$WAIT_SECONDS" xset q 2>&1 | grep -q "DPMS is Enabled" ||
    fail "no DPMS through the proxy: $(timeout "$WAIT_SECONDS" xset q 2>&1 | tail -n 3)"
}

# Share of one core, in percent with two decimals, that process PID used
# (user and system time from /proc) over the next SECONDS of wall-clock time.
cpu_percent_over() {
  local pid=$1 seconds=$2 start_us start_ticks end_ticks
  cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | awk '{ print $12 + $13 }'; }
  read_clock; start_us=$CLOCK_US; start_ticks=$(cpu_ticks "$pid")
  sleep "$seconds"
  end_ticks=$(cpu_ticks "$pid"); read_clock
  [ -n "$start_ticks" ] && [ -n "$end_ticks" ] || return 1
  awk -v t="$((end_ticks - start_ticks))" -v hz="$(getconf CLK_TCK)" -v us="$((CLOCK_US - start_us))" \
    'BEGIN { printf "%.2f\n", t / hz * 100 / (us / 1000000) }'
}

# Checks that the program, once it has settled (a second below 5 % of a core),
# uses under 1 % of a core over 10 s, as when it draws nothing; WHAT names
# the state for the messages, and that it wakes only a few times a second.
# Sets IDLE_CPU and IDLE_WAKES.
expect_idle_cpu() {
  local what=$1 settled
  quiet() { settled=$(cpu_percent_over "$APP_PID" 1) && awk -v p="$settled" 'BEGIN { exit !(p < 5) }'; }
  wait_until --while app_running "$WAIT_SECONDS" quiet || fail "$what: the program keeps using ${settled:-?} % of a core"
  local switches_before switches_after
  switches_before=$(context_switches "$APP_PID")
  IDLE_CPU=$(cpu_percent_over "$APP_PID" 10) || fail "$what: cannot read the program's CPU time"
  switches_after=$(context_switches "$APP_PID")
  IDLE_WAKES=$(((switches_after - switches_before) / 10))
  echo "$what: $IDLE_CPU % of a core over 10 s, $IDLE_WAKES wake-ups a second"
  awk -v p="$IDLE_CPU" 'BEGIN { exit !(p < 1) }' || fail "$what: the program used $IDLE_CPU % of a core over 10 s"
  # A loop that polls every few milliseconds costs little CPU but wakes
  # hundreds of times a second; a real wait wakes for the periodic checks
  # (about 15 a second for a window, 1 for the wallpaper).
  [ "$IDLE_WAKES" -le 50 ] || fail "$what: the program woke $IDLE_WAKES times a second while idle"
}

# How often the program's main thread has given up or been taken off a core.
context_switches() {
  awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print n + 0 }' "/proc/$1/status" 2>/dev/null
}

# Waits while the program runs until two pictures of WINDOW taken one after
# the other differ in at least 1000 pixels: the program draws again. Prints
# how long that took, in milliseconds from the call.
wait_for_motion() {
  local window=$1 start_us
  read_clock; start_us=$CLOCK_US
  rm -f "$WORK/motion_last.png"
  moving() {
    screenshot "$window" "$WORK/motion_now.png" 2>/dev/null || return 1
    if [ -f "$WORK/motion_last.png" ] && picture_changed_from "$WORK/motion_last.png" "$WORK/motion_now.png"; then
      return 0
    fi
    mv "$WORK/motion_now.png" "$WORK/motion_last.png"
    return 1
  }
  wait_until --while app_running --every 0.05 "$WAIT_SECONDS" moving || return 1
  read_clock
  echo $(((CLOCK_US - start_us) / 1000))
}

picture_changed_from() {
  local changed
  changed=$(pixels_changed "$1" "$2")
  [[ $changed =~ ^[0-9]+$ ]] && [ "$changed" -ge 1000 ]
}

# Resident memory of a process in kB.
resident_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

# Logs every top-level window that is created, mapped or destroyed on the
# display, from now on (xev on the root window). Call after start_xvfb and
# before start_app; the logger ends with the server.
start_window_log() {
  xev -root -event substructure -event property >"$WORK/windows.log" 2>&1 &
  WINDOW_LOG_PID=$!
  # Ready once it reports a property change of the root window.
  wait_until "$WAIT_SECONDS" window_log_reports_a_change ||
    fail "the window log did not start (xev $(kill -0 "$WINDOW_LOG_PID" 2>/dev/null && echo runs || echo ended)," \
      "$(wc -l <"$WORK/windows.log") lines logged: $(head -c 300 "$WORK/windows.log" | tr '\n' ' '))"
}

window_log_reports_a_change() {
  xprop -root -f _E2E_WINDOW_LOG 8s -set _E2E_WINDOW_LOG ready 2>/dev/null
  grep -q "_E2E_WINDOW_LOG" "$WORK/windows.log" 2>/dev/null
}

# Ids of the top-level windows mapped so far, in order, one a line (a window
# mapped twice shows twice).
mapped_windows() {
  awk '/^MapNotify event/ && /synthetic NO/ { want = 1; next }
       want { want = 0; if (match($0, /window 0x[0-9a-f]+/)) print substr($0, RSTART + 7, RLENGTH - 7) }' \
    "$WORK/windows.log"
}

# Starts a session bus of the test's own, with no service folders (nothing
# is started on demand, such as the service Debian's gnome-shell installs
# for org.gnome.Shell.Extensions: a test's stand-in owns its names), and
# exports its address; BUS_PID is the daemon.
start_private_bus() {
  cat >"$WORK/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$WORK/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
CONF
  dbus-daemon --config-file="$WORK/bus.conf" --nofork --print-address=3 3>"$WORK/bus.address" 2>"$WORK/bus.log" &
  BUS_PID=$!
  wait_until "$WAIT_SECONDS" test -s "$WORK/bus.address" || fail "the session bus did not start: $(cat "$WORK/bus.log")"
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$WORK/bus.address")
  export DBUS_SESSION_BUS_ADDRESS
}

# Ends (SIGKILL) every process whose environment holds XDG_RUNTIME_DIR=DIR:
# what a desktop session of the tests starts on its own (its helpers, the
# aquarium program) carries the session's runtime folder.
kill_session_of() {
  local proc
  for proc in /proc/[0-9]*; do
    grep -qzxF "XDG_RUNTIME_DIR=$1" "$proc/environ" 2>/dev/null && kill -9 "${proc#/proc/}" 2>/dev/null
  done
}

# The aquarium programs a desktop shell started (--embedded) as USER in the
# session whose runtime folder is DIR, one process id a line (other tests may
# run theirs beside it as the same user).
embedded_programs_of() {
  local pid
  for pid in $(pgrep -u "$1" -f -- "--embedded"); do
    grep -qzxF "XDG_RUNTIME_DIR=$2" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
}
