#!/usr/bin/env bash
# Checks a prebuilt Windows executable's headers: check_windows_exe.sh OBJDUMP PROGRAM.exe FORMAT
# FORMAT is PE32 (32-bit) or PE32+ (64-bit). The program must also start without the compiler's
# DLLs, so it may import none of them.
# Exits 77 (skipped) when the program is missing, unless VOSTREL_REQUIRE_WINE=1.
set -euo pipefail

objdump=$1
program=$2
format=$3

if [ ! -f "$program" ]; then
  echo "skipped: $program has not been built"
  if [ "${VOSTREL_REQUIRE_WINE:-0}" = 1 ]; then exit 1; fi
  exit 77
fi

case $format in
  PE32) magic=010b; file_format=pei-i386 ;;
  PE32+) magic=020b; file_format=pei-x86-64 ;;
  *) echo "unknown format $format"; exit 2 ;;
esac

headers=$("$objdump" -p "$program")
failed=0
if ! grep -q "file format $file_format\$" <<<"$headers"; then
  echo "$program: not of the file format $file_format"
  failed=1
fi
magic_line=$(grep '^Magic' <<<"$headers" || true)
if [[ $magic_line != *"$magic"*"($format)" ]]; then
  echo "$program: optional header is not $format: $magic_line"
  failed=1
fi
compiler_dlls=$(grep -Ei 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)' <<<"$headers" || true)
if [ -n "$compiler_dlls" ]; then
  echo "$program imports the compiler's DLLs:"
  echo "$compiler_dlls"
  failed=1
fi
[ $failed = 0 ] && echo "$program: $format, imports: $(grep -o 'DLL Name: .*' <<<"$headers" | cut -c11- | sort -u | tr '\n' ' ')"
exit $failed
