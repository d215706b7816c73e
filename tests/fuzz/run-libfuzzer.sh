#!/usr/bin/env bash
# Builds the store fuzz target with clang's libFuzzer (plus ASan and UBSan)
# and runs it on a copy of the corpus for as long as asked.
#
#   tests/fuzz/run-libfuzzer.sh SECONDS
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
secs=${1:-60}
out=$root/build/fuzz
mkdir -p "$out/corpus"
cp -n "$root"/tests/fuzz/corpus/* "$out/corpus/"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/store" -I"$root/controls" -I"$root/speech" \
  "$root/tests/fuzz/StoreFuzz.cpp" \
  "$root"/store/{CommandKinds,StoreFiles,FileSwitch,FileIO_posix}.cpp "$root/speech/GrammarReader.cpp" \
  "$root"/controls/{ListBox,Controls,Form,EventLog}.cpp \
  -o "$out/store_libfuzzer"
cd "$out"
./store_libfuzzer -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=65536 corpus
