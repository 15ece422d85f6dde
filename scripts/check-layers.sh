#!/usr/bin/env bash
# Checks that the product folders include only folders below them, in the
# order of ARCHITECTURE.md:
#
#   common/ -> comserver/ -> winsvc/ -> tabbar/, spinedit/ -> settings/, tracking/ -> host/
#
# A file may include its own folder and the folders to the left of it; two
# folders of one level (tabbar and spinedit, settings and tracking) include
# nothing of each other. resources/ stands outside the order: its headers
# (text and resource ids) may be included from anywhere, and its test checks
# the texts of every folder.
#
# tools/ and tests/ are never included from a product folder. testing/, the
# helpers the tests, demos and tools share, is included only from their side
# of a product folder: a file whose name ends in _test, _demo, _bench or
# _gdi_leak (before the extension), or any file under a fuzz/ folder. Those
# files keep the layer order like the rest of their folder. testing/ itself
# includes nothing from tools/ or tests/, which build on it.
#
# Prints each offending "file:line include" and fails when there is one.
#   scripts/check-layers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files -- common comserver winsvc tabbar spinedit settings tracking host resources testing |
  grep -E '\.(c|cpp|h|rc)$' | python3 -c '
import re, sys

level = {"common": 0, "comserver": 1, "winsvc": 2, "tabbar": 3, "spinedit": 3,
         "settings": 4, "tracking": 4, "host": 5}
test_side = re.compile(r"_(test|demo|bench|gdi_leak)\.[a-z]+$|(^|/)fuzz/")
include = re.compile(r"^\s*#\s*include\s+\"([^\"]+)\"")

bad = 0
for path in sys.stdin.read().split():
    src = path.split("/")[0]
    with open(path, encoding="utf-8", errors="replace") as f:
        for n, line in enumerate(f, 1):
            m = include.match(line)
            if not m:
                continue
            dst = m.group(1).split("/")[0]
            if src == "testing":
                ok = dst not in ("tools", "tests")
            elif dst in ("tools", "tests"):
                ok = False
            elif dst == "testing":
                ok = bool(test_side.search(path))
            elif src == "resources" or dst == "resources" or src == dst:
                ok = True
            elif dst in level:
                ok = level[dst] < level[src]
            else:
                ok = True  # a header of the build tree or of a third party
            if not ok:
                print(f"{path}:{n} {line.strip()}")
                bad += 1
if bad:
    print(f"check-layers: {bad} include(s) against the folder order (ARCHITECTURE.md)", file=sys.stderr)
    sys.exit(1)
'
