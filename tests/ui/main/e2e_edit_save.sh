#!/usr/bin/env bash
# The real program under Xvfb, by keyboard, waiting on window titles (at most 20 s each): edit the machine name
# and stroke X of a copy of the example, save, end; compare the bytes. Args: QUILLMARK_BINARY SOURCE_DIR.
set -euo pipefail
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v xprop >/dev/null ||
  { echo "skipped: no xvfb-run, xdotool or xprop"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$1" "$2/resources/Quillmark.mes" "$2/examples/sample.mtl" "$work/"  # a program folder of its own
: >"$work/Quillmark.ini"
unset QT_QPA_PLATFORM  # the test runner's offscreen platform
xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  wait_for() { timeout 20 xdotool search --sync --onlyvisible --name "$1" >/dev/null || { echo "no $1" >&2; exit 1; }; }
  "$1/quillmark" "$1/sample.mtl" & pid=$!
  wait_for "^sample\.mtl - "
  # As a window manager sees the window: the program icon, and no maximize (MWM functions: all 1, maximize 16).
  w="$(xdotool search --onlyvisible --name "^sample\.mtl - ")"
  # The icon is set once the window is there: give it a moment.
  timeout 10 bash -c "until xprop -id $w _NET_WM_ICON | grep -q \"Icon (\"; do sleep 0.1; done" ||
    { echo "no window icon" >&2; exit 1; }
  IFS=", " read -r flags functions _ <<<"$(xprop -id "$w" _MOTIF_WM_HINTS | sed -n "s/.*= //p")"
  (( (flags & 1) && !(functions & 17) )) || { echo "maximize offered: $flags $functions" >&2; exit 1; }
  # No window manager gives the window the focus; it starts on the file button, six Tabs before the name.
  xdotool search --onlyvisible --name "^sample\.mtl - " windowfocus --sync key Tab Tab Tab Tab Tab Tab ctrl+a type "MILL 7"
  xdotool key Tab ctrl+a type 900
  xdotool key Tab && wait_for "^sample\.mtl\* - "
  xdotool key ctrl+s && wait_for "^Quillmark$" && xdotool key Return  # the notice
  wait_for "^sample\.mtl - " && xdotool key ctrl+q
  timeout 20 tail --pid="$pid" -s 0.1 -f /dev/null || { echo "the program did not end" >&2; exit 1; }
' bash "$work"
LC_ALL=C sed -e 's/^NAME = .*/NAME = MILL 7              \r/' -e 's/^STROKE(X) = .*/STROKE(X) = 900.\r/' \
  "$2/examples/sample.mtl" | cmp - "$work/sample.mtl"
[ ! -e "$work/sample.mtlbak" ] || { echo "the backup was left behind" >&2; exit 1; }
grep -q "Init Dir" "$work/Quillmark.ini" || { echo "settings not written at the end" >&2; exit 1; }
