#!/usr/bin/env bash
# Runs a prebuilt Windows program that makes windows under Wine, on a virtual display when there is
# no display: run_gui_under_wine.sh PREFIX_DIR PROGRAM.exe [ARGS...]
# Exits 77 (skipped) when the program or Wine is missing, unless VOSTREL_REQUIRE_WINE=1.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_gui_env.sh"

prefix=$1
program=$2
shift 2
[ -f "$program" ] || skip "$program has not been built (cmake --preset windows-x64 && cmake --build --preset windows-x64)"
run_on_display "$0" "$prefix" "$program" "$@"

find_wine
use_prefix "$prefix"
trap stop_wine EXIT
"$wine" "$program" "$@"
