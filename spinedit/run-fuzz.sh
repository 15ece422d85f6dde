#!/usr/bin/env bash
# Builds the spin edit box's fuzzers with clang's libFuzzer (plus ASan and
# UBSan) and runs them for a bounded time shared between them: the number
# rules, the decoder of the binary stored properties, what a form's property
# bag, a record's picture bytes and a drop hand the control, and the key,
# character and paste filters.
#   spinedit/run-fuzz.sh [build-dir] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/fuzz}"
seconds="${2:-${FUZZ_SECONDS:-28}}"
quarter=$(( seconds / 4 > 0 ? seconds / 4 : 1 ))
cxx="${FUZZ_CXX:-clang++}"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
  -fno-omit-frame-pointer -Wall -Wextra -Werror -I "$root")
mkdir -p "$out/spin_number_corpus" "$out/spin_stream_corpus" "$out/spin_decode_corpus" "$out/spin_input_corpus"
"$cxx" "${flags[@]}" "$root/spinedit/fuzz/spin_number_fuzz.cpp" "$root/spinedit/spin_number.cpp" \
  -o "$out/spin_number_fuzz"
"$cxx" "${flags[@]}" "$root/spinedit/fuzz/spin_stream_fuzz.cpp" "$root/spinedit/spin_stream.cpp" \
  "$root/spinedit/spin_properties.cpp" "$root/spinedit/spin_number.cpp" -o "$out/spin_stream_fuzz"
"$cxx" "${flags[@]}" "$root/spinedit/fuzz/spin_decode_fuzz.cpp" "$root/spinedit/spin_bag.cpp" \
  "$root/spinedit/spin_picture.cpp" "$root/spinedit/spin_drop.cpp" "$root/spinedit/spin_properties.cpp" "$root/spinedit/spin_number.cpp" \
  "$root/common/text.cpp" -o "$out/spin_decode_fuzz"
"$cxx" "${flags[@]}" "$root/spinedit/fuzz/spin_input_fuzz.cpp" "$root/spinedit/spin_edit_core.cpp" \
  "$root/spinedit/spin_number.cpp" "$root/common/text.cpp" -o "$out/spin_input_fuzz"
# A few seeds that reach the interesting branches at once.
printf '\x02\xff\xff\xff\x7f\x00\x00\x00\x80\x05\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x31\x32\x2e\x35' \
  > "$out/spin_number_corpus/seed-decimals"
printf '\x00\x00\x00\x00\x80\xff\xff\xff\x7f\x00\x00\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00\x0b\x0a' \
  > "$out/spin_number_corpus/seed-extremes"
# A record with a font, a picture and one value of every other kind.
printf '\x42\x53\x45\x42\x01\x00\x00\x00\xab\x00\x00\x00\x07\x00\x01\x04\x46\x00\x6f\x00\x6e\x00\x74\x00\x0c\x4d\x00\x53\x00\x20\x00\x55\x00\x49\x00\x20\x00\x47\x00\x6f\x00\x74\x00\x68\x00\x69\x00\x63\x00\x72\x64\x01\x00\x00\x00\x00\x00\xbc\x02\x01\x80\x00\x02\x07\x45\x00\x6e\x00\x61\x00\x62\x00\x6c\x00\x65\x00\x64\x00\x00\x06\x07\x43\x00\x61\x00\x70\x00\x74\x00\x69\x00\x6f\x00\x6e\x00\x02\x00\x00\x00\x61\x00\x62\x00\x07\x09\x4d\x00\x6f\x00\x75\x00\x73\x00\x65\x00\x49\x00\x63\x00\x6f\x00\x6e\x00\x03\x00\x00\x00\x6c\x74\x00\x05\x05\x56\x00\x61\x00\x6c\x00\x75\x00\x65\x00\x7d\x00\x00\x00\x03\x06\x44\x00\x65\x00\x63\x00\x46\x00\x69\x00\x67\x00\x02\x04\x09\x4d\x00\x61\x00\x78\x00\x4c\x00\x65\x00\x6e\x00\x67\x00\x74\x00\x68\x00\x05\x00' \
  > "$out/spin_stream_corpus/seed-every-kind"
# A bag's values for a few keys (the key's index, then a typed value), a
# one-pixel icon as a picture object writes it, and a list of two files.
printf '\x00\x18\x05\x04\x20\x26\x48\x31\x34\x0e\x05\x03\x54\x72\x75\x00\x03\x40\x01\x00\x00\x00\x00\x00\x00' \
  > "$out/spin_decode_corpus/seed-bag"
printf '\x01\x6c\x74\x00\x00\x46\x00\x00\x00\x00\x00\x01\x00\x01\x00\x01\x01\x00\x00\x01\x00\x20\x00\x30\x00\x00\x00\x16\x00\x00\x00\x28\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00\x01\x00\x20\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
  > "$out/spin_decode_corpus/seed-icon"
printf '\x02\x08\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x61\x00\x00\x00\x62\x00\x00\x00\x00\x00' \
  > "$out/spin_decode_corpus/seed-files"
# Typing, a paste of "1.5", a spin and a MaxLength.
printf '\x08\x31\x01\x35\x23\x03\x01\x0b\x05\x06\x05\x01\x02\x01\x36' > "$out/spin_input_corpus/seed-typing"
for fuzz in spin_number spin_stream spin_decode spin_input; do
  "$out/${fuzz}_fuzz" -max_total_time="$quarter" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$out/${fuzz}_corpus"
done
