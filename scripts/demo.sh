#!/usr/bin/env bash
# The main job: installs what is missing, builds, registers Brisko in the
# project's Wine prefix, starts the stand-in IDE with a sample project and
# connects Brisko to it. With a display the IDE window stays up for you to
# use (close it to end); without one it runs inside Xvfb and writes a
# screenshot to out/brisko.png.
#
#   scripts/demo.sh          the VB6 IDE (the stand-in as VB6.exe)
#   scripts/demo.sh --vba    the VBA editor of Excel (the stand-in as EXCEL.exe),
#                            two workbooks sharing component names
set -euo pipefail
cd "$(dirname "$0")/.."
ide=VB6.exe
case "${1:-}" in
  --vba) ide=EXCEL.exe ;;
  "") ;;
  *) echo "usage: scripts/demo.sh [--vba]" >&2; exit 1 ;;
esac

scripts/install-deps.sh
cmake --preset win32 >/dev/null && cmake --build --preset win32 -j "${BRISKO_JOBS:-2}"
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j "${BRISKO_JOBS:-2}"

# The 32-bit IDE cannot run here (no 32-bit Wine), so the demo runs the
# x86-64 build of the same code under 64-bit Wine.
run=build/win64/wine-run.sh
mkdir -p out
"$run" regsvr32 /s build/win64/Brisko.dll

args=(--sample --addin Brisko.Loader --mode 0)
managed() { "$run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$1" /f >/dev/null 2>&1 || true; }
if [ -n "${DISPLAY:-}" ] && [ "${BRISKO_HEADLESS:-0}" != 1 ]; then
  # On a desktop the window manager handles the IDE's window; the tests,
  # which run without one, want it unmanaged again afterwards.
  managed Y
  trap 'managed N' EXIT
  "$run" "build/win64/$ide" "${args[@]}"
else
  rm -f out/brisko.png
  env -u DISPLAY "$run" "build/win64/$ide" "${args[@]}" --screenshot 'out\brisko.png' --exit-after 3000
  echo "Screenshot: out/brisko.png"
fi
