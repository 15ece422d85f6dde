#!/usr/bin/env bash
# Builds the text conversion fuzzer with clang's libFuzzer (plus ASan and
# UBSan) and runs it for a bounded time.
#   common/run-fuzz.sh [build-dir] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/fuzz}"
seconds="${2:-${FUZZ_SECONDS:-10}}"
cxx="${FUZZ_CXX:-clang++}"
mkdir -p "$out/text_convert_corpus"
"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -fno-omit-frame-pointer -Wall -Wextra -Werror -I "$root" \
  "$root/common/fuzz/text_convert_fuzz.cpp" "$root/common/text_convert.cpp" -o "$out/text_convert_fuzz"
# Seeds: a caption whose answers fit, and one whose written length exceeds the measure.
printf '\x05\x00\x00\x00\x05\x00\x00\x00\x00\x82\xa0\x82\xa2a' > "$out/text_convert_corpus/seed-fits"
printf '\x02\x00\x00\x00\x03\x00\x00\x00\x01a\x00b\x00' > "$out/text_convert_corpus/seed-overlong"
"$out/text_convert_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$out/text_convert_corpus"
