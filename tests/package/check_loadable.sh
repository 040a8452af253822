#!/usr/bin/env bash
# Checks that the installed marivelle package brought everything its program
# loads: every library that each installed program links, the OpenGL library
# that SDL and libepoxy open by name at run time with Mesa's GLX library and a
# Mesa driver behind it, and the X core fonts that SDL's message boxes draw
# with (a recommended package, which apt installs by default).
# Run it on a bare system right after installing the package alone, before any
# other package can bring what the package forgot to ask for.
# Usage: check_loadable.sh   (any user)
set -uo pipefail

missing=()
lack() {
  echo "missing: $1" >&2
  missing+=("$2")
}

if ! dpkg-query -W -f='${Status}' marivelle 2>/dev/null | grep -q 'install ok installed'; then
  echo "check_loadable: the marivelle package is not installed" >&2
  exit 1
fi

programs=0
while IFS= read -r path; do
  [ -f "$path" ] && [ ! -L "$path" ] || continue
  [ "$(od -An -tx1 -N4 "$path" | tr -d ' \n')" = 7f454c46 ] || continue
  programs=$((programs + 1))
  if ! out=$(ldd "$path" 2>&1); then
    lack "ldd cannot read $path: $out" "the libraries of $path"
    continue
  fi
  while read -r lib _; do
    lack "$lib, which $path links (ldd: not found)" "$lib"
  done < <(grep 'not found' <<<"$out")
  echo "$path: $(grep -c '=>' <<<"$out") libraries found"
done < <(dpkg -L marivelle)
if [ "$programs" -eq 0 ]; then
  echo "check_loadable: the package installed no program" >&2
  exit 1
fi

# Prints the path that the dynamic loader's cache gives for a library name.
cached() { ldconfig -p | awk -v name="$1" '$1 == name { print $NF; exit }'; }

gl=$(cached libGL.so.1)
if [ -z "$gl" ] || [ ! -e "$gl" ]; then
  lack "libGL.so.1, which SDL and libepoxy open at run time (package libgl1)" "libGL.so.1"
else
  echo "libGL.so.1: $gl"
  glx=$(cached libGLX_mesa.so.0)
  if [ -z "$glx" ] || [ ! -e "$glx" ]; then
    lack "libGLX_mesa.so.0, the GLX library libGL.so.1 hands Mesa's displays to (package libglx-mesa0)" \
      "libGLX_mesa.so.0"
  else
    echo "libGLX_mesa.so.0: $glx"
  fi
fi

drivers=$(compgen -G '/usr/lib/*/dri/*_dri.so' | head -n 3 | tr '\n' ' ')
if [ -z "$drivers" ]; then
  lack "a Mesa DRI driver, /usr/lib/<arch>/dri/*_dri.so (package libgl1-mesa-dri)" "a Mesa DRI driver"
else
  echo "Mesa DRI drivers: $drivers..."
fi

# The first font SDL's message box asks for: medium, upright, normal width,
# 12 point, Unicode.
fonts=/usr/share/fonts/X11/misc/fonts.dir
if ! grep -q -i -E -e '-medium-r-normal--[0-9]+-120-.*-iso10646-1$' "$fonts" 2>/dev/null; then
  lack "the X core fonts for the message boxes, a 12 point Unicode font in $fonts (package xfonts-base)" \
    "the X core fonts"
else
  echo "X core fonts: $fonts"
fi

if [ ${#missing[@]} -gt 0 ]; then
  list=$(printf '%s, ' "${missing[@]}")
  echo "check_loadable: the package does not bring what the program loads: ${list%, }" >&2
  exit 1
fi
echo "check_loadable: everything the program loads is installed"
