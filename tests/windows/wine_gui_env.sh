# Shared by the runners of Windows GUI programs under Wine (sourced, not run). Windows need an X
# display: a caller without one re-runs itself under xvfb-run first (run_on_display).
#
#   run_on_display "$0" "$@"     re-runs the calling script on a virtual display when needed
#   find_wine                    sets wine and wineserver, or skips
#   use_prefix DIR               makes the prefix on first use and exports WINEPREFIX and friends
#   stop_wine                    ends the prefix's Wine server and every program in it

skip() {
  echo "skipped: $*"
  if [ "${VOSTREL_REQUIRE_WINE:-0}" = 1 ]; then exit 1; fi
  exit 77
}

run_on_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  command -v xvfb-run >/dev/null 2>&1 || skip "no display and xvfb-run is not installed (apt-get install xvfb xauth)"
  # Colour depth 24, so that a screenshot shows the window as it is.
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$@"
}

find_wine() {
  # Debian's wine wrapper prefers a 32-bit loader that cannot start here; the 64-bit loader
  # serves 64-bit programs alone.
  wine=""
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
  done
  [ -n "$wine" ] || skip "Wine is not installed (apt-get install wine64)"
  wineserver=""
  for candidate in /usr/lib/wine/wineserver64 "$(command -v wineserver || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then wineserver=$candidate; break; fi
  done
}

use_prefix() {
  mkdir -p "$1"
  WINEPREFIX=$(cd "$1" && pwd)
  export WINEPREFIX
  export WINELOADER=$wine
  export WINEDEBUG=-all
  # Neither the Mono nor the Gecko installer, which would ask through a window.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  # A Wine server that was started without this display cannot make windows on it.
  stop_wine
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    stop_wine
  fi
}

stop_wine() {
  if [ -n "${wineserver:-}" ]; then
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
  fi
}
