#!/usr/bin/env bash
# Checks a prebuilt windowed Windows program: its headers as check_windows_exe.sh does, and that it
# is a GUI-subsystem program, which starts without a console.
#   check_windows_gui_exe.sh OBJDUMP PROGRAM.exe FORMAT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
bash "$here/check_windows_exe.sh" "$@" || status=$?
[ "$status" = 0 ] || exit "$status"
headers=$("$1" -p "$2")
if ! grep -q '^Subsystem.*(Windows GUI)' <<<"$headers"; then
  echo "$2: not a GUI-subsystem program"
  exit 1
fi
echo "$2: Windows GUI subsystem"
