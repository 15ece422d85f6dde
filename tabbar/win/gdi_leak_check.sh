#!/usr/bin/env bash
# Runs the paint loop under Wine's GDI trace and compares the live GDI handle
# count (the "N/65536" of the last allocation or release) at the two markers.
#   gdi_leak_check.sh <wine-run.sh> <tabbar_gdi_leak.exe>
set -euo pipefail
runner=$1
exe=$2
WINEDEBUG=+gdi "$runner" "$exe" 2>&1 >/dev/null | awk '
  /(allocated|freed) .*[0-9]+\/65536/ {
    if (match($0, /[0-9]+\/65536/)) { s = substr($0, RSTART, RLENGTH); sub(/\/65536/, "", s); live = s + 0 }
    events++
  }
  /BRISKO-MARK before/ { before = live; events = 0 }
  /BRISKO-MARK after/ { after = live; during = events }
  END {
    if (before == "" || after == "") { print "markers or GDI trace missing"; exit 2 }
    printf "live GDI objects: %d before, %d after; %d allocations and releases traced in between\n", before, after, during
    if (during == 0) { print "no GDI trace between the markers"; exit 2 }
    exit (before == after) ? 0 : 1
  }'
