#!/usr/bin/env bash
# The screensaver settings dialog's description: it parses, offers the four
# controls, keeps the rules xscreensaver-settings 6.06 checks when it reads
# the file, and every command line it can build from the ends and defaults of
# its controls is one the program accepts.
# Usage: settings_dialog_test.sh MARIVELLE packaging/marivelle.xml
set -euo pipefail
program=$1
xml=$2
python3 - "$program" "$xml" <<'PY'
import subprocess, sys, xml.etree.ElementTree as ET

program, path = sys.argv[1], sys.argv[2]
root = ET.parse(path).getroot()
assert root.tag == "screensaver" and root.get("name") == "marivelle", root.attrib
command = [c.get("arg") for c in root.findall("command")]
assert command == ["--root"], command

# The attributes the dialog knows for each kind of control.
known = {"number": {"id", "type", "arg", "_label", "_low-label", "_high-label", "low", "high", "default", "convert"},
         "boolean": {"id", "_label", "arg-set", "arg-unset"}}
numbers = {n.get("id"): n for n in root.findall("number")}
booleans = {b.get("id"): b for b in root.findall("boolean")}
for kind, controls in (("number", numbers), ("boolean", booleans)):
    for control in controls.values():
        unknown = set(control.attrib) - known[kind]
        assert not unknown, (control.get("id"), unknown)
assert set(numbers) == {"fish", "speed", "fps"}, numbers.keys()
assert set(booleans) == {"showfps"}, booleans.keys()
assert numbers["fish"].get("_label") == "Number of fish"
assert numbers["speed"].get("_label") == "Speed"
assert booleans["showfps"].get("_label") == "Show frame rate"

def value_text(value, floating):
    # As the dialog writes a value: three decimals without trailing zeros.
    return ("%.3f" % value).rstrip("0").rstrip(".") if floating else "%d" % value

ends = {}
for id, n in numbers.items():
    assert n.get("type") == "slider" and n.get("arg").endswith(" %"), id
    low, high, default = (float(n.get(k)) for k in ("low", "high", "default"))
    floating = "." in n.get("low") + n.get("high") + n.get("default")
    # A float slider's range is not integral; a ratio slider needs low > 0
    # and high > 1; the default lies within the range.
    assert not floating or low != int(low) or high != int(high), id
    assert low <= default <= high, id
    if n.get("convert") == "ratio":
        assert floating and low > 0 and high > 1, id
    switch = n.get("arg")[:-2]
    ends[id] = [switch + " " + value_text(v, floating) for v in (low, default, high)]
switches = [n.get("arg").split()[0] for n in numbers.values()] + [b.get("arg-set") for b in booleans.values()]
assert all(s.startswith("-") for s in switches) and len(set(switches)) == len(switches), switches
assert booleans["showfps"].get("arg-set") == "--show-fps"

def accepted(args):
    # Options are read in order, so a trailing --version accepts the line
    # (status 0) only when everything before it is valid.
    result = subprocess.run([program] + args + ["--version"], capture_output=True, text=True)
    return result.returncode == 0, result.stderr.strip()

lines = []
for i in range(3):
    for shown in ([], ["--show-fps"]):
        line = command + " ".join(ends[id][i] for id in ("fish", "speed", "fps")).split() + shown
        lines.append(line)
# The slider's value in a locale that writes a decimal comma.
lines.append(command + ["--speed", "0,484"])
for line in lines:
    ok, why = accepted(line)
    assert ok, (line, why)
# The check tells a bad line from a good one.
assert not accepted(command + ["--fish", "501"])[0]
print("settings dialog ok: %d command lines accepted" % len(lines))
PY
