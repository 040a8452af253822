#!/usr/bin/env bash
# End-to-end tests of the real program under Xvfb when its data files are
# missing or damaged, when its window is resized, hidden and squeezed, and
# over a longer run.
# Usage: fault_test.sh CASE   (APP, DATA_DIR and SEND_CLOSE in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}

TEXTURE_MESSAGE="Hey dodo, you can't copy files"
HEIGHT_MAP_MESSAGE="Can't Find The Height Map!"
READ_ERROR_MESSAGE="Failed To Get Data!"

# Fish colours as the fish shader draws them: red, yellow, magenta, cyan and
# blue bodies and tails (not the green of the grid room).
FISH_COLOURS='(r > 120 && g < r / 2) || (r > 120 && g > 120 && b < r / 2) || (b > 150 && g > 120 && r < g / 2) || (b > 180 && r < b / 3 && g < b / 3)'
# Bodies lit by the fixed-function pipeline with the white material.
PALE_BODIES='r > 150 && g > 150 && b > 150 && b - r < 60'
# The sand: grey to brown, lit by its own height, never green or deep blue.
SAND_COLOURS='r > 25 && r * 5 > g * 4 && r * 5 > b * 4'
# The upper part of the window, above the tank's rim, where the fish swim.
ABOVE_RIM=800x330+0+0
# The sand's near corner, which sticks out of the tank at the lower left.
SAND_CORNER=150x80+0+430
# The sand's far hills, seen over the tank's back wall.
FAR_SAND=700x40+50+370
# The band at the bottom that shows only the floor's grid and the plinth.
FLOOR_BAND=780x120+10+470

# Waits while the program runs for its first window: prints "box ID" for a
# message box titled Error, "main ID" for the main window, "other ID TITLE"
# for any other window.
wait_first_window() { wait_until --while app_running "$WAIT_SECONDS" find_first_window; }

find_first_window() {
  local id title class
  while IFS=$'\t' read -r id title class; do
    [ -n "$id" ] || continue
    # A window can be shown a moment before its title is set: look again.
    [ "$title" != "(has no name)" ] || continue
    if [ "$title" = '"Error"' ] && [ -z "$class" ]; then echo "box $id"; return 0; fi
    if [ "$title" = '"Marivelle"' ] && [ -n "$class" ]; then echo "main $id"; return 0; fi
    echo "other $id $title"; return 0
  done < <(viewable_top_windows)
  return 1
}

# Fails if a message box titled Error shows up within the given seconds.
expect_no_box_for() { holds_throughout "$1" no_box_and_running; }

no_box_and_running() {
  local box
  box=$(viewable_windows_named Error)
  [ -z "$box" ] || fail "a message box titled Error appeared: $(screenshot_box_text "$box")"
  app_running || fail "the program ended by itself"
}

screenshot_box_text() {
  local id=$1
  screenshot "$id" "$WORK/unexpected_box.png" 2>/dev/null
  message_box_reads "$WORK/unexpected_box.png" "$TEXTURE_MESSAGE" >/dev/null && { echo "\"$TEXTURE_MESSAGE\""; return; }
  message_box_reads "$WORK/unexpected_box.png" "$HEIGHT_MAP_MESSAGE" >/dev/null && { echo "\"$HEIGHT_MAP_MESSAGE\""; return; }
  message_box_reads "$WORK/unexpected_box.png" "$READ_ERROR_MESSAGE" >/dev/null && { echo "\"$READ_ERROR_MESSAGE\""; return; }
  echo "another text"
}

# The program shows one message box, before its main window, with this text
# and the title Error; it is dismissed (with Return, or with a click on OK when
# the second argument is "click"), no other box follows, and the main window
# appears. Sets WID to the main window.
expect_one_message_then_window() {
  local text=$1 how=${2:-key} first kind box boxes titles verdict status x y main maps
  first=$(wait_first_window) || fail "neither a message box nor the main window appeared"
  read -r kind box _ <<<"$first"
  [ "$kind" != other ] || fail "a window titled ${first#other * } appeared instead of a message box titled Error"
  [ "$kind" = box ] || fail "the main window appeared without a message box first"
  boxes=$(viewable_windows_named Error | grep -c .)
  [ "$boxes" = 1 ] || fail "$boxes message boxes at once"
  titles=$(window_titles "$box" | sort -u)
  [ "$titles" = Error ] || fail "the message box's title is \"$titles\", not \"Error\""
  [ -z "$(xdotool search --onlyvisible --name '^Marivelle$' 2>/dev/null)" ] ||
    fail "the main window is already shown while the message box waits"
  # The main window exists already, not yet shown.
  main=$(xdotool search --name '^Marivelle$' 2>/dev/null | head -n 1)
  main=$(printf '0x%x' "${main:-0}")
  # The box draws its text and its button after it is mapped, a piece at a
  # time: look until it reads right.
  BOX_VERDICT="no picture of the box"
  wait_until --while app_running --every 0.25 "$WAIT_SECONDS" box_reads "$box" "$text" ||
    fail "message box: $BOX_VERDICT"
  # Once more outside the command substitution, for the button's place.
  BOX_BUTTON_CENTRE=""
  message_box_reads "$WORK/box.png" "$text" >/dev/null && [ -n "$BOX_BUTTON_CENTRE" ] ||
    fail "message box: cannot find its button again"
  app_running || fail "the program ended while its message box was shown"
  sleep 0.5
  [ -n "$(viewable_windows_named Error)" ] || fail "the message box went away by itself"
  if [ "$how" = click ]; then
    read -r x y <<<"$BOX_BUTTON_CENTRE"
    xdotool mousemove --window "$box" "$x" "$y" click 1 2>/dev/null
  else
    xdotool key --window "$box" Return 2>/dev/null
  fi
  # (The X server may hand a second box the same window id.)
  wait_until "$WAIT_SECONDS" box_gone_or_another_mapped "$box" "$main"
  sleep 0.3
  [ "$(mapped_windows | grep -vxF "$main" | grep -c .)" -le 1 ] ||
    fail "a second message box appeared after the first was dismissed"
  ! window_viewable "$box" || fail "the message box stayed after it was dismissed ($how)"
  # The main window comes next, and no second box comes before or after it.
  WID=""
  if ! wait_until --while app_running "$WAIT_SECONDS" main_window_without_box; then
    app_running || fail "the program ended after its message box"
    fail "no main window after the message box"
  fi
  expect_no_box_for 2
  maps=$(mapped_windows | tr '\n' ' ')
  [ "$maps" = "$box $(printf '0x%x' "$WID") " ] ||
    fail "expected the message box ($box) and then the main window ($WID) to be mapped, once each; mapped: $maps"
  echo "one message box titled Error reading \"$text\" with one OK button, dismissed ($how); then the main window"
}

# Screenshots the message box and checks it; true once it shows TEXT above
# one OK button. Leaves what it found in BOX_VERDICT.
box_reads() {
  screenshot "$1" "$WORK/box.png" 2>/dev/null || return 1
  BOX_VERDICT=$(message_box_reads "$WORK/box.png" "$2")
}

# True once the message box BOX is no longer shown, or once the log holds
# another mapped window than BOX and the main window MAIN.
box_gone_or_another_mapped() {
  window_hidden "$1" || [ "$(mapped_windows | grep -vxF "$2" | grep -c .)" -gt 1 ]
}

# Sets WID once the main window is shown; fails if a message box is shown.
main_window_without_box() {
  [ -z "$(viewable_windows_named Error)" ] || fail "a second message box appeared"
  WID=$(find_window Marivelle)
}

# No message box: the main window appears and none follows. Sets WID.
expect_window_without_message() {
  local first
  first=$(wait_first_window) || fail "neither a message box nor the main window appeared"
  read -r kind WID _ <<<"$first"
  [ "$kind" != box ] || fail "a message box appeared: $(screenshot_box_text "$WID")"
  [ "$kind" = main ] || fail "a window titled ${first#other * } appeared"
  expect_no_box_for 3
  maps=$(mapped_windows | tr '\n' ' ')
  [ "$maps" = "$(printf '0x%x' "$WID") " ] || fail "expected only the main window ($WID) to be mapped; mapped: $maps"
  echo "no message box; the main window is shown"
}

# The main window shows a lit picture that changes over time. Leaves the
# pictures in $WORK/a.png (a lit one, a second or more after the call) and
# $WORK/b.png (the next one that differs from it).
expect_scene_running() {
  local lit_a lit_b changed
  sleep 1
  if ! wait_for_picture "$WID" "$WORK/a.png" 20; then
    app_running || fail "the program ended by itself"
    screenshot "$WID" "$WORK/a.png" || fail "no picture of the main window"
    fail "the window is (nearly) black: $(lit_share "$WORK/a.png") % lit"
  fi
  if ! wait_for_change "$WID" "$WORK/a.png" "$WORK/b.png" 1000; then
    app_running || fail "the program ended by itself"
    fail "the picture does not change ($(pixels_changed "$WORK/a.png" "$WORK/b.png") pixels)"
  fi
  changed=$(pixels_changed "$WORK/a.png" "$WORK/b.png")
  lit_a=$(lit_share "$WORK/a.png"); lit_b=$(lit_share "$WORK/b.png")
  echo "scene: $lit_a % and $lit_b % lit, $changed pixels changed"
  [ "$lit_b" -ge 20 ] || fail "the window turned (nearly) black: $lit_a %, then $lit_b % lit"
  app_running || fail "the program ended by itself"
}

# Escape ends the program with exit code 0 and no GL error was reported.
expect_clean_exit() {
  local code
  focus "$WID"; xdotool key --window "$WID" Escape
  code=$(wait_exit)
  [ "$code" = 0 ] || fail "exit code after Escape: $code"
  ! grep -q "OpenGL error" "$WORK/app.err" || fail "the program reported an OpenGL error"
}

count_in() { count_pixels "$WORK/$1" "$2" "$3"; }

# The set-up stopped at a texture: the fish table was never filled, so all
# fish sit on top of each other at the centre of the tank's base.
expect_fish_in_one_place() {
  local above centre
  above=$(count_in a.png "$ABOVE_RIM" "$FISH_COLOURS")
  centre=$(count_in a.png 160x70+320+360 "$FISH_COLOURS")
  echo "fish colours: $above above the rim, $centre at the centre of the base"
  [ "$above" -le 300 ] || fail "fish swim above the rim ($above pixels): the set-up went on after the texture"
  [ "$centre" -ge 100 ] || fail "no fish at the centre of the tank's base ($centre pixels)"
}

# The set-up went on to the end: the fish swim all over the tank.
expect_school_of_fish() {
  local above
  above=$(count_in a.png "$ABOVE_RIM" "$FISH_COLOURS")
  echo "fish colours above the rim: $above pixels"
  [ "$above" -ge 3000 ] || fail "no school of fish above the rim ($above pixels)"
}

# The data file was damaged as meant: the check runs in the program's folder.
expect_damage() { (cd "$WORK/run" && eval "$1") || fail "the data file was not damaged as meant: $1"; }

byte_at() { od -An -tu1 -j "$2" -N 1 "$1" | tr -d ' '; }

# A texture that cannot be read: DAMAGE, CHECK of the damage, then the check
# of what the rest of the set-up did.
texture_case() {
  start_xvfb; start_window_log; start_app "$1"; expect_damage "$2"
  expect_one_message_then_window "$TEXTURE_MESSAGE"
  expect_scene_running
  "$3"
  expect_clean_exit
}

# Pads a text file with a trailing comment to exactly the given length.
pad_source_to() {
  local file=$1 length=$2 size
  size=$(wc -c <"$file")
  { printf '\n//'; head -c $((length - size - 4)) /dev/zero | tr '\0' 'x'; printf '\n'; } >>"$file"
  [ "$(wc -c <"$file")" = "$length" ] || { echo "could not pad $file" >&2; exit 1; }
}

# Sets the window's size and checks that the program is still there.
resize_to() {
  if ! xdotool windowsize "$WID" "$1" "$2" 2>/dev/null; then
    sleep 0.5
    app_running || fail "the program ended after resizing to $1x$2"
    fail "could not resize the window to $1x$2"
  fi
  app_running || fail "the program ended after resizing to $1x$2"
}

# Resizes the window to each WxH in turn, pausing PAUSE seconds after each.
# Usage: resize_through PAUSE WxH...
resize_through() {
  local pause=$1 size
  shift
  for size in "$@"; do
    resize_to "${size%x*}" "${size#*x}"
    sleep "$pause"
  done
}

# Back at 800x600 the picture matches the one from before: viewport and
# projection follow the window again (the floor band holds no moving parts).
# The program redraws at the new size when it gets to it: the picture is
# looked at until it matches.
expect_same_view_as_before() {
  local geometry
  timeout 30 xdotool windowsize --sync "$WID" 800 600 2>/dev/null || xdotool windowsize "$WID" 800 600
  geometry=$(xdotool getwindowgeometry "$WID")
  echo "$geometry" | grep -q "Geometry: 800x600" || fail "the window is not back at 800x600: $geometry"
  MOVED="no picture"
  wait_until --while app_running --every 0.5 "$WAIT_SECONDS" view_as_before ||
    fail "back at 800x600 the view differs from before ($MOVED % of the floor band)"
  echo "floor band differs from before by $MOVED %"
  expect_scene_running
}

# True when the window's floor band matches the one in before.png; leaves
# the share that differs in MOVED.
view_as_before() {
  screenshot "$WID" "$WORK/again.png" 2>/dev/null || return 1
  MOVED=$(lit_mask_difference "$WORK/before.png" "$WORK/again.png" "$FLOOR_BAND")
  at_most "$MOVED" 2
}

# The picture follows the window's size: at 400x300 it is the 800x600 one at
# half the size, and at 800x300 the same vertical field of view shows more at
# the sides, so its middle 400 columns are the 400x300 picture again. Each
# picture is looked at until it matches, as the program redraws at the new
# size when it gets to it.
expect_projection_follows_size() {
  "$IM_CONVERT" "$WORK/before.png" -resize 400x300 "$WORK/before_half.png"
  timeout 30 xdotool windowsize --sync "$WID" 400 300 2>/dev/null || xdotool windowsize "$WID" 400 300
  HALF="no picture"
  wait_until --while app_running --every 0.5 "$WAIT_SECONDS" half_size_view ||
    fail "at 400x300 the picture is not the 800x600 one at half the size ($HALF %)"
  timeout 30 xdotool windowsize --sync "$WID" 800 300 2>/dev/null || xdotool windowsize "$WID" 800 300
  WIDER="no picture"
  wait_until --while app_running --every 0.5 "$WAIT_SECONDS" wider_view ||
    fail "at 800x300 the middle is not the 400x300 picture ($WIDER %): aspect ratio or viewport"
  echo "floor band: 400x300 differs from the halved 800x600 by $HALF %, the middle of 800x300 from 400x300 by $WIDER %"
}

half_size_view() {
  screenshot "$WID" "$WORK/400x300.png" 2>/dev/null || return 1
  HALF=$(lit_mask_difference "$WORK/before_half.png" "$WORK/400x300.png" 390x60+5+236)
  at_most "$HALF" 8
}

wider_view() {
  screenshot "$WID" "$WORK/800x300.png" 2>/dev/null || return 1
  "$IM_CONVERT" "$WORK/800x300.png" -crop 400x300+200+0 +repage "$WORK/800x300_middle.png"
  WIDER=$(lit_mask_difference "$WORK/800x300_middle.png" "$WORK/400x300.png" 390x60+5+236)
  at_most "$WIDER" 3
}

start_normally() {
  start_xvfb; start_window_log; start_app
  expect_window_without_message
  expect_scene_running
  cp "$WORK/b.png" "$WORK/before.png"
}

run_case() {
  case "$case_name" in
  sand_missing)
    texture_case "rm Sand.bmp" "[ ! -e Sand.bmp ]" expect_fish_in_one_place
    ;;
  sand_truncated)
    texture_case "truncate -s 20 Sand.bmp" "[ \$(wc -c <Sand.bmp) = 20 ]" expect_fish_in_one_place
    ;;
  sand_8_bits)
    # Bits per pixel, at offset 28 of the file, set to 8.
    texture_case "printf '\\010' | dd of=Sand.bmp bs=1 seek=28 conv=notrunc 2>/dev/null" \
      "[ \$(byte_at Sand.bmp 28) = 8 ] && [ \$(byte_at Sand.bmp 29) = 0 ]" expect_fish_in_one_place
    ;;
  bubble_missing)
    texture_case "rm Bubble.bmp" "[ ! -e Bubble.bmp ] && [ -e Sand.bmp ]" expect_fish_in_one_place
    ;;
  caustic_missing)
    texture_case "rm caust17.tga" "[ ! -e caust17.tga ] && [ -e caust16.tga ]" expect_school_of_fish
    ;;
  caustic_depth_16)
    # The depth byte, at offset 16 of the header, set to 16.
    texture_case "printf '\\020' | dd of=caust17.tga bs=1 seek=16 conv=notrunc 2>/dev/null" \
      "[ \$(byte_at caust17.tga 16) = 16 ]" expect_school_of_fish
    ;;
  height_map_missing)
    start_xvfb; start_window_log; start_app "rm Batman.raw"; expect_damage "[ ! -e Batman.raw ]"
    expect_one_message_then_window "$HEIGHT_MAP_MESSAGE" click
    expect_scene_running
    expect_school_of_fish
    corner=$(count_in a.png "$SAND_CORNER" "$SAND_COLOURS")
    far=$(count_in a.png "$FAR_SAND" "$SAND_COLOURS")
    echo "sand: $corner pixels at the near corner, $far of far hills"
    [ "$corner" -le 1000 ] && [ "$far" -le 1000 ] || fail "the sand is not flat and black without its height map"
    expect_clean_exit
    ;;
  height_map_short)
    # Half the height map: the far half of the floor keeps its hills, the near
    # half (where the corner sticks out of the tank) lies flat and black.
    start_xvfb; start_window_log; start_app "truncate -s 524288 Batman.raw"; expect_damage "[ \$(wc -c <Batman.raw) = 524288 ]"
    expect_window_without_message
    expect_scene_running
    expect_school_of_fish
    corner=$(count_in a.png "$SAND_CORNER" "$SAND_COLOURS")
    far=$(count_in a.png "$FAR_SAND" "$SAND_COLOURS")
    echo "sand: $corner pixels at the near corner, $far of far hills"
    [ "$far" -ge 1500 ] || fail "the far sand hills are missing ($far pixels)"
    [ "$corner" -le 1000 ] || fail "the near half of the sand is not flat ($corner pixels)"
    expect_clean_exit
    ;;
  fish_shader_missing)
    start_xvfb; start_window_log; start_app "rm FEESH.fp"; expect_damage "[ ! -e FEESH.fp ] && [ -e FEESH.vp ]"
    expect_window_without_message
    expect_scene_running
    pale=$(count_in a.png "$ABOVE_RIM" "$PALE_BODIES")
    tails=$(count_in a.png "$ABOVE_RIM" "$FISH_COLOURS")
    echo "fish: $pale pixels of pale bodies, $tails of coloured tails"
    [ "$pale" -ge 3000 ] || fail "the fish bodies are not drawn by the fixed-function pipeline ($pale pale pixels)"
    [ "$tails" -ge 1000 ] || fail "the fish tails lost their colours ($tails pixels)"
    expect_clean_exit
    ;;
  shader_too_long)
    start_xvfb; start_window_log; start_app "$(declare -f pad_source_to); pad_source_to Water.vp 9000"
    expect_damage "[ \$(wc -c <Water.vp) = 9000 ]"
    expect_window_without_message
    expect_scene_running
    expect_school_of_fish
    expect_clean_exit
    ;;
  resize_storm)
    start_normally
    RANDOM=7
    sizes="1x1 4000x60 3x900"
    for _ in $(seq 37); do sizes="$sizes $((RANDOM % 1600 + 1))x$((RANDOM % 1000 + 1))"; done
    started=$(date +%s.%N)
    resize_through 0.03 $sizes
    echo "40 sizes in $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
    sleep 1
    app_running || fail "the program ended after the resize storm"
    expect_projection_follows_size
    expect_same_view_as_before
    expect_clean_exit
    ;;
  minimise_restore)
    start_normally
    # Without a window manager nothing acts on the iconify request; unmapping
    # is what hides the window then.
    xdotool windowminimize "$WID" 2>/dev/null
    timeout 30 xdotool windowunmap --sync "$WID" 2>/dev/null || xdotool windowunmap "$WID"
    wait_until "$WAIT_SECONDS" window_hidden "$WID" || fail "the window did not hide"
    # Hidden for a while, the program keeps running.
    sleep 1.5
    app_running || fail "the program ended while its window was hidden"
    timeout 30 xdotool windowmap --sync "$WID" 2>/dev/null || xdotool windowmap "$WID"
    sleep 0.5
    app_running || fail "the program ended after its window was restored"
    expect_same_view_as_before
    expect_clean_exit
    ;;
  width_one_and_back)
    start_normally
    # Dragged narrower step by step down to 1 pixel, held there, and back.
    resize_through 0.15 700x600 500x600 300x600 150x600 60x600 20x600 5x600 2x600 1x600
    sleep 1.5
    app_running || fail "the program ended at a width of 1 pixel"
    resize_through 0.15 2x600 10x600 80x600 250x600 500x600 800x600
    sleep 0.5
    expect_same_view_as_before
    expect_clean_exit
    ;;
  x_server_goes)
    # The X server ends under the program: one line of its own and the status
    # of a lost window system, in its own window, drawing into the root
    # window as a screensaver, and as the wallpaper.
    for mode in window --root --wallpaper; do
      start_xvfb
      if [ "$mode" = window ]; then
        start_app
        shown=$(wait_window Marivelle) || fail "no window"
      else
        start_app_with "$mode"
        shown=root
      fi
      wait_for_picture "$shown" "$WORK/shown.png" 20 || fail "$mode: nothing drawn before the server went"
      kill "$XVFB_PID"
      code=$(wait_exit)
      [ "$code" = 1 ] || fail "$mode: the status after the server went is $code, not 1"
      [ "$(cat "$WORK/app.err")" = "Marivelle: the X server closed the connection" ] ||
        fail "$mode: it said $(cat "$WORK/app.err")"
      timeout "$WAIT_SECONDS" tail --pid="$XVFB_PID" -f /dev/null || fail "$mode: Xvfb did not end"
      echo "$mode: one line, status 1"
    done
    ;;
  memory_steady)
    start_xvfb; start_window_log; start_app
    expect_window_without_message
    # Counted from the first frames, which a busy machine can hold back: they
    # take what the driver needs for drawing.
    wait_for_picture "$WID" "$WORK/first.png" 20 || fail "the window shows no lit picture"
    begin=$(date +%s)
    while [ $(($(date +%s) - begin)) -lt 5 ]; do sleep 0.2; done
    early=$(resident_kb "$APP_PID")
    [ -n "$early" ] || fail "cannot read the program's resident memory"
    peak=$early
    while [ $(($(date +%s) - begin)) -lt 20 ]; do
      app_running || fail "the program ended by itself"
      now=$(resident_kb "$APP_PID"); [ "${now:-0}" -gt "$peak" ] && peak=$now
      sleep 1
    done
    late=$(resident_kb "$APP_PID")
    echo "resident memory: $early kB at 5 s, $late kB at 20 s, highest $peak kB"
    [ $((peak - early)) -le 4096 ] || fail "resident memory grew by $((peak - early)) kB between 5 s and 20 s"
    expect_scene_running
    expect_clean_exit
    ;;
  thirty_thousand_fish)
    # The largest school against the default one, each at its highest while
    # the program draws: under 64 MiB more. Then one fish more than the most
    # is refused with one line.
    start_xvfb
    for count in 50 30000; do
      start_app_with --fish "$count"
      WID=$(wait_window Marivelle) || fail "no window with $count fish"
      wait_for_picture "$WID" "$WORK/first$count.png" 20 || fail "the window with $count fish shows no lit picture"
      wait_for_change "$WID" "$WORK/first$count.png" "$WORK/later$count.png" 1000 ||
        fail "the picture with $count fish does not move"
      peak=0
      begin=$(date +%s)
      while [ $(($(date +%s) - begin)) -lt 10 ]; do
        app_running || fail "the program with $count fish ended by itself"
        now=$(resident_kb "$APP_PID"); [ "${now:-0}" -gt "$peak" ] && peak=$now
        sleep 0.5
      done
      printf -v "peak_$count" '%s' "$peak"
      expect_clean_exit
    done
    # shellcheck disable=SC2154 # set through printf -v above
    echo "resident memory at its highest: $peak_50 kB with 50 fish, $peak_30000 kB with 30000"
    [ $((peak_30000 - peak_50)) -lt 65536 ] || fail "30000 fish take $((peak_30000 - peak_50)) kB more than 50"
    start_app_with --fish 30001
    code=$(wait_exit)
    [ "$code" = 2 ] || fail "--fish 30001: exit status $code, expected 2"
    [ "$(cat "$WORK/app.err")" = "Marivelle: '30001' is not a number of fish from 1 to 30000 for '--fish' (try 'marivelle --help')" ] ||
      fail "--fish 30001 did not print its one line"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
  esac
}

run_case
echo "PASS: $case_name"
