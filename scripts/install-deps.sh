#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, from a
# bare Debian 12 with only make and git. xfonts-base carries the X core fonts
# that SDL's message boxes draw their text with: without them the boxes
# cannot open and the messages only reach standard error. file lets CPack's
# Debian generator find the program's libraries for the package's Depends.
# libxss-dev tells the program when the X server blanks the screen;
# libxcomposite-dev lets the coverage tests make a compositing overlay.
# systemd brings systemd-analyze, which checks the wallpaper's user unit.
# The window managers and desktop programs of XFCE, LXDE, LXQt, MATE,
# Cinnamon (nemo), KDE Plasma and GNOME are what the wallpaper is tried
# against.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libepoxy-dev libegl-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0
  libpng-dev libgtest-dev libbenchmark-dev libx11-dev libxinerama-dev libxrandr-dev libxext-dev libxss-dev libxcomposite-dev libwayland-dev libwayland-bin file libsystemd-dev
  xvfb xserver-xephyr xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xfonts-base xdotool x11-utils openbox xcompmgr
  glslang-tools imagemagick sway swaybg grim weston clang libclang-rt-dev python3 dbus dbus-x11 python3-dbus python3-gi systemd
  xfwm4 xfdesktop4 xfconf pcmanfm pcmanfm-qt marco mate-settings-daemon-common caja nemo
  kwin-x11 plasma-desktop plasma-workspace kactivitymanagerd mutter qml-module-qtwayland-compositor qmlscene
  gnome-shell gjs gir1.2-gtk-4.0 gir1.2-adw-1 libglib2.0-bin gnome-shell-extension-prefs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
