#!/usr/bin/env bash
# The project's test command: installs what is missing, checks the folders'
# include order, builds the native, win32 and win64 presets, and runs every
# test: the native unit tests, then the Windows tests and end-to-end
# scenarios under Wine inside one Xvfb. Fails when the include order, any
# build or any test fails; its last line is ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

status=0

# Folders include only folders below them; cheap, so before the builds.
scripts/check-layers.sh || status=1

jobs="${BRISKO_JOBS:-2}"
for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# Bounded fuzzing, the seconds after each script: the spin edit box's text
# rules, its decoder of binary stored properties, what a form's property bag
# and a record's pictures hand it, and its input filters (four targets
# sharing the time); the load of arbitrary stored settings; window captions
# into tab titles; and the rules around the system's text conversions.
for entry in spinedit/run-fuzz.sh:28 settings/run-fuzz.sh:20 tracking/run-fuzz.sh:10 common/run-fuzz.sh:10; do
  fuzz="${entry%:*}" seconds="${entry##*:}"
  log=build/fuzz-"$(dirname "$fuzz")".log
  "$fuzz" build/fuzz "$seconds" >"$log" 2>&1 || { tail -n 30 "$log"; status=1; }
  grep -h "^Done" "$log" || true
done

ctest --preset native -j "$jobs" || status=1

# One X server for the whole Windows run; the tests drive real input, so
# they run one after another.
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi

ctest --preset win64 || status=1
exit $status
