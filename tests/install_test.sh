#!/usr/bin/env bash
# `cmake --install` into a temporary prefix gives every file the program reads,
# byte for byte as in the build's data folder, beside the program, and a
# launcher that starts the program in that folder.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=${1:?build folder}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

# What the program opens, by name, from its working folder.
files=(Batman.raw Sand.bmp Bubble.bmp Water.vp Water.fp FEESH.vp FEESH.fp FIN.vp FIN.fp lux.vp lux.fp school.vp school.fp school_fin.vp school_fin.fp)
for i in $(seq -w 0 31); do files+=("caust$i.tga"); done
for f in "${files[@]}"; do
  [ -f "$prefix/share/marivelle/$f" ] || fail "share/marivelle/$f was not installed"
  cmp -s "$build/data/$f" "$prefix/share/marivelle/$f" || fail "share/marivelle/$f differs from the build's copy"
done
echo "${#files[@]} data files installed unchanged"

[ -x "$prefix/libexec/marivelle/marivelle" ] || fail "no program at libexec/marivelle/marivelle"

# The launcher, started from another folder through a link (as a menu or a
# PATH lookup may), must run the program inside the data folder and hand it
# its arguments unchanged. A stand-in program reports the folder it was
# started in and each argument on a line of its own.
launcher=$prefix/bin/marivelle
[ -x "$launcher" ] || fail "no launcher at bin/marivelle"
printf '#!/bin/sh\npwd\nprintf "%%s\\n" "$@"\n' >"$prefix/libexec/marivelle/marivelle"
ln -s "$launcher" "$prefix/link"
report=$(cd / && "$prefix/link" --max-fps 30 "two words" '$HOME')
started_in=$(echo "$report" | head -n 1)
[ "$started_in" = "$(cd "$prefix/share/marivelle" && pwd -P)" ] || fail "the launcher started the program in $started_in"
[ "$(echo "$report" | tail -n +2)" = "$(printf '%s\n' --max-fps 30 "two words" '$HOME')" ] ||
  fail "the launcher changed the arguments: $(echo "$report" | tail -n +2)"

for size in 48 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/marivelle.png
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x$size" ] || fail "no ${size}x$size icon"
done
[ -f "$prefix/share/applications/marivelle.desktop" ] || fail "no menu entry"
grep -qx 'Exec=marivelle --wallpaper' "$prefix/share/applications/marivelle-wallpaper.desktop" ||
  fail "no menu entry for the wallpaper"
# The screensaver daemon runs its hacks from their own folder, by name.
[ "$(readlink -f "$prefix/libexec/xscreensaver/marivelle")" = "$(readlink -f "$launcher")" ] ||
  fail "libexec/xscreensaver/marivelle does not lead to the launcher"
zcat "$prefix/share/man/man6/marivelle.6.gz" | grep -q '^\.SH KEYS' || fail "no manual page with the keys"
# The GNOME Shell extension: in the folder its uuid names, every module it
# imports beside it, and its settings schema where GLib compiles it.
extension=$prefix/share/gnome-shell/extensions/marivelle@marivelle.example
grep -q '"uuid": "marivelle@marivelle.example"' "$extension/metadata.json" || fail "no GNOME Shell extension of that uuid"
for module in extension prefs $(sed -n 's/.*Me\.imports\.\([a-z_]*\);.*/\1/p' "$extension/extension.js"); do
  [ -f "$extension/$module.js" ] || fail "the GNOME Shell extension lacks $module.js"
done
schema=$(sed -n 's/.*"settings-schema": "\([^"]*\)".*/\1/p' "$extension/metadata.json")
[ -f "$prefix/share/glib-2.0/schemas/$schema.gschema.xml" ] || fail "the extension's schema $schema was not installed"
glib-compile-schemas --strict --dry-run "$prefix/share/glib-2.0/schemas" || fail "the extension's schema does not compile"
# The Plasma wallpaper plugin: in the folder its id names, the files of a
# Plasma/Wallpaper package, and each of its own QML types beside main.qml.
plugin=$prefix/share/plasma/wallpapers/example.marivelle.wallpaper
grep -q '"Id": "example.marivelle.wallpaper"' "$plugin/metadata.json" || fail "no Plasma wallpaper plugin of that id"
for file in contents/ui/main.qml contents/ui/config.qml contents/config/main.xml; do
  [ -f "$plugin/$file" ] || fail "the Plasma wallpaper plugin lacks $file"
done
for type in $(sed -n 's/^ *\([A-Z][A-Za-z0-9]*\) {}\{0,1\}$/\1/p' "$plugin"/contents/ui/*.qml | sort -u); do
  case "$type" in
  Item | Rectangle | Text | Loader | Timer | QtObject | Component | WaylandCompositor | WaylandOutput | XdgShell | \
    XdgDecorationManagerV1 | ShellSurfaceItem) ;;
  *) [ -f "$plugin/contents/ui/$type.qml" ] || fail "the Plasma wallpaper plugin lacks $type.qml" ;;
  esac
done
/usr/bin/python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$plugin/contents/config/main.xml" ||
  fail "the Plasma wallpaper plugin's settings are not well-formed XML"
echo "install test passed"
