#!/usr/bin/env bash
# The program as installed (a prefix install in a folder of its own) finds the message file where users put it: the
# user's own before the installed one, the installed English one where the Japanese one is gone, and, with none at
# all, it names the places it looked. Under Xvfb, waiting on window titles. Args: BUILD_DIR.
set -euo pipefail
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "skipped: no xvfb-run or xdotool"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$1" --prefix "$work/prefix" >/dev/null
export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/nowhere" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
unset QT_QPA_PLATFORM
share="$work/prefix/share/quillmark"
mkdir -p "$XDG_DATA_HOME/quillmark"
sed 's/^GSTR(0) = .*/GSTR(0) = "USERS OWN"\r/' "$share/lang/en/Quillmark.mes" >"$XDG_DATA_HOME/quillmark/Quillmark.mes"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  # Starts the program and waits for a window of that title; "" for the box of a program that ends after it.
  expect() {
    "$1" 2>"$3" & local pid=$!
    timeout 20 xdotool search --sync --onlyvisible --name "$2" >/dev/null || { echo "no window \"$2\"" >&2; exit 1; }
    xdotool key Return; kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
  }
  expect "$1/bin/quillmark" "^USERS OWN  Ver" /dev/null
  rm "$XDG_DATA_HOME/quillmark/Quillmark.mes" "$2/Quillmark.mes"
  expect "$1/bin/quillmark" "^Quillmark  Ver.*Machine Definition" /dev/null
  rm "$2/lang/en/Quillmark.mes"
  expect "$1/bin/quillmark" "^Quillmark$" "$3"
  grep -q "Looked for:" "$3" && grep -q "$XDG_DATA_HOME/quillmark/Quillmark.mes" "$3" &&
    grep -q "$2/lang/en/Quillmark.mes" "$3" || { echo "the places looked at are not named:" >&2; cat "$3" >&2; exit 1; }
' bash "$work/prefix" "$share" "$work/stderr"
