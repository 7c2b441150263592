#!/usr/bin/env bash
# The real program under Xvfb, by keyboard, waiting on window titles: edit the
# machine name and stroke X of a copy of the example, save, end, compare bytes.
# Usage: e2e_edit_save.sh QUILLMARK_BINARY SOURCE_DIR; exit 77 (skipped) without xvfb-run or xdotool.
set -euo pipefail
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A program folder of its own, its empty settings file beside it.
cp "$1" "$2/resources/Quillmark.mes" "$2/examples/sample.mtl" "$work/"
: >"$work/Quillmark.ini"
unset QT_QPA_PLATFORM  # the test runner's offscreen platform; this test needs the X server
xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  "$1/quillmark" "$1/sample.mtl" & pid=$!
  wait_for() {  # a visible window whose title matches, at most 20 s
    timeout 20 xdotool search --sync --onlyvisible --name "$1" >/dev/null || { echo "no window $1" >&2; exit 1; }
  }
  wait_for "^sample\.mtl - "
  # No window manager gives the window the focus; it starts on the file button,
  # four Tabs (file name, Add, Delete) before the machine name.
  xdotool search --onlyvisible --name "^sample\.mtl - " windowfocus --sync key Tab Tab Tab Tab ctrl+a
  xdotool type "MILL 7"
  xdotool key Tab ctrl+a
  xdotool type 900
  xdotool key Tab
  wait_for "^sample\.mtl\* - "
  xdotool key ctrl+s
  wait_for "^Quillmark$"
  xdotool key Return
  wait_for "^sample\.mtl - "
  xdotool key ctrl+q
  timeout 20 tail --pid="$pid" -s 0.1 -f /dev/null || { echo "the program did not end" >&2; exit 1; }
' bash "$work"
LC_ALL=C sed -e 's/^NAME = .*/NAME = MILL 7              \r/' -e 's/^STROKE(X) = .*/STROKE(X) = 900.\r/' \
  "$2/examples/sample.mtl" | cmp - "$work/sample.mtl"
[ ! -e "$work/sample.mtlbak" ] || { echo "the backup was left behind" >&2; exit 1; }
grep -q "Init Dir" "$work/Quillmark.ini" || { echo "settings not written at the end" >&2; exit 1; }
