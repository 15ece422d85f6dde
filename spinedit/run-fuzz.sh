#!/usr/bin/env bash
# Builds the spin edit number fuzzer with clang's libFuzzer (plus ASan and
# UBSan) and runs it for a bounded time.
#   spinedit/run-fuzz.sh [build-dir] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/fuzz}"
seconds="${2:-${FUZZ_SECONDS:-20}}"
cxx="${FUZZ_CXX:-clang++}"
mkdir -p "$out/spin_number_corpus"
"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -fno-omit-frame-pointer -Wall -Wextra -Werror -I "$root" \
  "$root/spinedit/fuzz/spin_number_fuzz.cpp" "$root/spinedit/spin_number.cpp" \
  -o "$out/spin_number_fuzz"
# A few seeds that reach the interesting branches at once.
printf '\x02\xff\xff\xff\x7f\x00\x00\x00\x80\x05\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x31\x32\x2e\x35' \
  > "$out/spin_number_corpus/seed-decimals"
printf '\x00\x00\x00\x00\x80\xff\xff\xff\x7f\x00\x00\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00\x0b\x0a' \
  > "$out/spin_number_corpus/seed-extremes"
"$out/spin_number_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$out/spin_number_corpus"
