#!/usr/bin/env bash
# Runs a prebuilt Windows test program under Wine: run_under_wine.sh PREFIX_DIR PROGRAM.exe [ARGS...]
# Builds nothing. The Wine prefix is made on first use (wineboot) and kept for later runs.
# Exits 77 (skipped) when the program or Wine is missing, unless VOSTREL_REQUIRE_WINE=1.
set -euo pipefail

prefix=$1
program=$2
shift 2

skip() {
  echo "skipped: $*"
  if [ "${VOSTREL_REQUIRE_WINE:-0}" = 1 ]; then exit 1; fi
  exit 77
}

[ -f "$program" ] || skip "$program has not been built (cmake --preset windows-x64 && cmake --build --preset windows-x64)"

# Debian's wine wrapper prefers a 32-bit loader that cannot start here; the 64-bit loader serves
# 64-bit programs alone.
wine=""
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
done
[ -n "$wine" ] || skip "Wine is not installed (apt-get install wine64)"
wineserver=""
for candidate in /usr/lib/wine/wineserver64 "$(command -v wineserver || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wineserver=$candidate; break; fi
done

mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINELOADER=$wine
export WINEDEBUG=-all
# Neither the Mono nor the Gecko installer, which would ask through a window.
export WINEDLLOVERRIDES="mscoree=;mshtml="

stop_server() { [ -z "$wineserver" ] || "$wineserver" -k 2>/dev/null || true; }
trap stop_server EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX"
  env -u DISPLAY -u WAYLAND_DISPLAY "$wine" wineboot -i >/dev/null 2>&1
fi

"$wine" "$program" "$@"
