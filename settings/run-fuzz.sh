#!/usr/bin/env bash
# Builds the stored-settings fuzzer with clang's libFuzzer (plus ASan and
# UBSan) and runs it for a bounded time.
#   settings/run-fuzz.sh [build-dir] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/fuzz}"
seconds="${2:-${FUZZ_SECONDS:-20}}"
cxx="${FUZZ_CXX:-clang++}"
mkdir -p "$out/settings_corpus"
"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -fno-omit-frame-pointer -Wall -Wextra -Werror -I "$root" \
  "$root/settings/fuzz/settings_fuzz.cpp" "$root/settings/reg_value.cpp" "$root/settings/registry.cpp" \
  "$root/settings/memory_registry.cpp" "$root/settings/settings.cpp" "$root/common/text.cpp" \
  -o "$out/settings_fuzz"
# Seeds: a short DWORD for Width, text for FontSize, a big-endian Icon.
printf '\x02\x04\x02\xc8\x00\x04\x01\x05\x31\x30\x35\x30\x00\x11\x05\x04\x00\x00\x00\x03' \
  > "$out/settings_corpus/seed-mixed"
"$out/settings_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$out/settings_corpus"
