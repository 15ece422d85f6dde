#!/usr/bin/env bash
# Builds the caption fuzzer with clang's libFuzzer (plus ASan and UBSan) and
# runs it for a bounded time: window captions and the project model, as the
# VB6 IDE and the VBA editor hand them over, into tab titles.
#   tracking/run-fuzz.sh [build-dir] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/fuzz}"
seconds="${2:-${FUZZ_SECONDS:-10}}"
cxx="${FUZZ_CXX:-clang++}"
mkdir -p "$out/caption_corpus"
"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -fno-omit-frame-pointer -Wall -Wextra -Werror -I "$root" \
  "$root/tracking/fuzz/caption_fuzz.cpp" "$root/tracking/classify.cpp" "$root/tracking/vba_titles.cpp" \
  "$root/common/text.cpp" -o "$out/caption_fuzz"
# A seed: "Book1.xlsm - Module1 (Code)" in a model with one project.
printf '\x18\x1bB\x00o\x00o\x00k\x001\x00.\x00x\x00l\x00s\x00m\x00 \x00-\x00 \x00M\x00o\x00d\x00u\x00l\x00e\x001\x00 \x00(\x00C\x00o\x00d\x00e\x00)\x00\x00\x01\x0aV\x00B\x00A\x00P\x00r\x00o\x00j\x00\x00\x00\x01\x07M\x00o\x00d\x00u\x00l\x00e\x001\x00\x01\x00' \
  > "$out/caption_corpus/seed-vba"
"$out/caption_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$out/caption_corpus"
