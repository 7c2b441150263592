#!/usr/bin/env bash
# The real program killed with an unsaved edit, then started again on the same file: it offers the edit, Yes shows
# it unsaved while the file keeps its bytes, a save asks first because the file holds a line it drops (and nothing
# else: no other program was at the file), and the save removes the recovery copy. Under Xvfb, by keyboard,
# waiting on window titles (at most 20 s each).
# Args: QUILLMARK_BINARY SOURCE_DIR.
set -euo pipefail
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v xwininfo >/dev/null ||
  { echo "skipped: no xvfb-run, xdotool or xwininfo"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$1" "$2/resources/Quillmark.mes" "$2/examples/sample.mtl" "$work/"
: >"$work/Quillmark.ini"  # portable: the recovery copies stay in this folder
printf '; a note of the shop\r\n' >>"$work/sample.mtl"  # a line that saving drops
cp "$work/sample.mtl" "$work/original.mtl"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  wait_for() { timeout 20 xdotool search --sync --onlyvisible --name "$1" >/dev/null || { echo "no $1" >&2; exit 1; }; }
  copies() { find "$1" -maxdepth 1 -name "*.recover" | wc -l; }
  # The box takes the focus itself once it is fully there: press until that box is gone (one key a check, so
  # that a box coming right after it is left to the next answer).
  answer() {
    wait_for "^Quillmark$"
    local box
    box="$(xdotool search --onlyvisible --name "^Quillmark$" | head -1)"
    for _ in $(seq 50); do
      xdotool key "$1"
      sleep 0.2
      xwininfo -id "$box" 2>/dev/null | grep -q IsViewable || return 0
    done
    echo "the box did not take $1" >&2; exit 1
  }
  "$1/quillmark" "$1/sample.mtl" & pid=$!
  answer Return  # the load names the line that saving drops
  wait_for "^sample\.mtl - "
  xdotool search --onlyvisible --name "^sample\.mtl - " windowfocus --sync key Tab Tab Tab Tab Tab Tab ctrl+a type "MILL 7"
  xdotool key Tab && wait_for "^sample\.mtl\* - "
  timeout 20 bash -c "until [ \"\$(find \"$1\" -maxdepth 1 -name \"*.recover\" | wc -l)\" = 1 ]; do sleep 0.1; done"
  kill -9 "$pid"; wait "$pid" 2>/dev/null || true

  "$1/quillmark" "$1/sample.mtl" & pid=$!
  answer Return  # the load notice again
  answer Return  # the offer, Yes by default
  wait_for "^sample\.mtl\* - "
  cmp "$1/sample.mtl" "$1/original.mtl" || { echo "the file was written" >&2; exit 1; }
  [ "$(copies "$1")" = 1 ] || { echo "no recovery copy while the edit is unsaved" >&2; exit 1; }
  # The recovered edits save over a file whose note they drop: asked first, No by default.
  xdotool search --onlyvisible --name "^sample\.mtl\* - " windowfocus --sync && xdotool key ctrl+s
  answer Return
  cmp "$1/sample.mtl" "$1/original.mtl" || { echo "saved without asking" >&2; exit 1; }
  # Yes saves: nothing else asks, as no other program was at the file since the edits began.
  xdotool search --onlyvisible --name "^sample\.mtl\* - " windowfocus --sync && xdotool key ctrl+s
  answer y
  answer Return  # saved
  wait_for "^sample\.mtl - "
  ! cmp -s "$1/sample.mtl" "$1/original.mtl" || { echo "not saved" >&2; exit 1; }
  [ "$(copies "$1")" = 0 ] || { echo "the recovery copy was left behind" >&2; exit 1; }
  xdotool search --onlyvisible --name "^sample\.mtl - " windowfocus --sync && xdotool key ctrl+q
  timeout 20 tail --pid="$pid" -s 0.1 -f /dev/null || { echo "the program did not end" >&2; exit 1; }
' bash "$work"
