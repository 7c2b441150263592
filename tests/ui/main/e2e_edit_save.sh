#!/usr/bin/env bash
# The real program under Xvfb: open a copy of the example file, add
# attachment 7 in the editor, save, end, and compare the saved bytes.
# Usage: e2e_add_attachment.sh QUILLMARK_BINARY SOURCE_DIR
# Exit 77 (skipped) when xvfb-run or xdotool is missing.
set -euo pipefail

program="$1"
source_dir="$2"
# The test runner selects the offscreen platform; this test needs the X server.
unset QT_QPA_PLATFORM
for tool in xvfb-run xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A program folder of its own, without a settings file: the program keeps
# its settings in the user's configuration folder, here a folder of our own.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$work/bin" "$work/data"
cp "$program" "$work/bin/quillmark"
cp "$source_dir/resources/Quillmark.mes" "$work/bin/"
cp "$source_dir/examples/sample.mtl" "$work/data/sample.mtl"

cat >"$work/drive.sh" <<'EOF'
#!/usr/bin/env bash
set -euo pipefail
bin="$1"; file="$2"
"$bin" "$file" &
pid=$!
wait_window() {  # the newest visible window whose name matches
  local id=""
  for _ in $(seq 1 100); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)"
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "no window named $1" >&2; kill "$pid"; exit 1; }
  echo "$id"
}
click() {  # window x y: a click at a point of the window's client area
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}
main="$(wait_window 'Ver1\.05')"
sleep 0.5
click "$main" 400 448              # btnAdd
sleep 0.5
xdotool type --delay 50 "7"        # the number prompt
xdotool key Return
sleep 1
editor="$(wait_window 'アタッチメント エディタ')"
click "$editor" 150 113            # txtWidth(0)
xdotool key ctrl+a BackSpace
xdotool type --delay 50 "25"
click "$editor" 245 113            # txtHight(0)
xdotool key ctrl+a BackSpace
xdotool type --delay 50 "15"
click "$editor" 153 260            # Entry
click "$editor" 248 260            # Close
sleep 0.5
click "$main" 614 40               # Save
sleep 0.5
xdotool key Return                 # the notice after saving
sleep 0.5
click "$main" 686 40               # End
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end" >&2
  kill "$pid"
  exit 1
fi
wait "$pid"
EOF
chmod +x "$work/drive.sh"

xvfb-run -a -s "-screen 0 1280x1024x24" "$work/drive.sh" "$work/bin/quillmark" "$work/data/sample.mtl"

{ cat "$source_dir/examples/sample.mtl"; printf 'ATTACHMENT07 = SQUARE/25.,15.\r\n'; } >"$work/expected.mtl"
if ! cmp "$work/expected.mtl" "$work/data/sample.mtl"; then
  echo "saved file differs from the expected bytes:" >&2
  diff <(cat -A "$work/expected.mtl") <(cat -A "$work/data/sample.mtl") >&2 || true
  exit 1
fi
if [ -e "$work/data/sample.mtlbak" ]; then
  echo "the backup file was left behind" >&2
  exit 1
fi
grep -q "Init Dir" "$work/config/quillmark/Quillmark.ini" || { echo "settings not written at the end" >&2; exit 1; }
[ ! -e "$work/bin/Quillmark.ini" ] || { echo "settings written beside the program" >&2; exit 1; }
echo "saved bytes match"
