#!/usr/bin/env bash
# The screensaver settings dialog's description: it offers the four controls,
# keeps the rules xscreensaver-settings 6.06 checks when it reads the file,
# and every command line the dialog builds from the ends and defaults of its
# controls is one the program accepts.
# Usage: settings_dialog_test.sh MARIVELLE packaging/marivelle.xml
set -euo pipefail
python3 - "$1" "$2" <<'PY'
import subprocess, sys, xml.etree.ElementTree as ET

program, path = sys.argv[1], sys.argv[2]
root = ET.parse(path).getroot()
assert [c.get("arg") for c in root.findall("command")] == ["--root"]
labels = {c.get("id"): c.get("_label") for c in root if c.tag in ("number", "boolean")}
assert labels == {"fish": "Number of fish", "speed": "Speed", "fps": "Frame rate",
                  "showfps": "Show frame rate"}, labels
assert root.find("boolean").get("arg-set") == "--show-fps"

# Each slider's value at its low end, default and high end, written as the
# dialog writes it: at most three decimals, trailing zeros dropped.
settings = [[], [], []]
for n in root.findall("number"):
    texts = [n.get(k) for k in ("low", "default", "high")]
    low, default, high = map(float, texts)
    floating = any("." in t for t in texts)
    assert n.get("type") == "slider" and low <= default <= high, n.attrib
    # The dialog refuses a float slider over an integral range, and a ratio
    # slider unless low > 0 and high > 1.
    assert not floating or low != int(low) or high != int(high), n.attrib
    assert n.get("convert") != "ratio" or (floating and low > 0 and high > 1), n.attrib
    for i, v in enumerate((low, default, high)):
        settings[i] += n.get("arg").replace("%", ("%.3f" % v).rstrip("0").rstrip(".")).split()

def accepted(args):
    # Options are read in order: a trailing --version ends with status 0 only
    # when everything before it is valid.
    return subprocess.run([program, "--root"] + args + ["--version"], capture_output=True).returncode == 0

lines = [s + shown for s in settings for shown in ([], ["--show-fps"])] + [["--speed", "0,484"]]
for line in lines:
    assert accepted(line), line
fish = root.find("number[@id='fish']")
assert not accepted(["--fish", str(int(fish.get("high")) + 1)])
print("settings dialog ok: %d command lines accepted" % len(lines))

# The desktops' own settings offer the fish the program takes, up to its
# largest school: GNOME's schema and preferences, Plasma's settings and page.
import os, re
top = os.path.dirname(os.path.dirname(os.path.abspath(path)))
def read(*parts):
    return open(os.path.join(top, *parts)).read()
gnome = os.path.join("desktop", "gnome-shell", "marivelle@marivelle.example")
plasma = os.path.join("desktop", "plasma", "example.marivelle.wallpaper", "contents")
most = int(fish.get("high"))
found = {
    "GNOME schema": re.search(r'<key name="fish".*?<range min="1" max="(\d+)"', read(gnome, "schemas",
                              "org.gnome.shell.extensions.marivelle.gschema.xml"), re.S).group(1),
    "GNOME preferences": re.search(r"'fish', 'Fish', '[^']*', 1, (\d+),", read(gnome, "prefs.js")).group(1),
    "Plasma settings": re.search(r'name="FishCount".*?<max>(\d+)</max>', read(plasma, "config", "main.xml"),
                                 re.S).group(1),
    "Plasma page": re.search(r'objectName: "fish".*?to: (\d+)', read(plasma, "ui", "config.qml"), re.S).group(1),
}
for where, value in found.items():
    assert int(value) == most, (where, value, most)
assert accepted(["--fish", str(most)]) and not accepted(["--fish", str(most + 1)])
print("the desktops' settings offer 1 to %d fish, as the program takes" % most)
PY
