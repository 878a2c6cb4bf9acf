#!/usr/bin/env bash
# Builds the document fuzzer with clang (address and undefined sanitizers) and runs it for a
# bounded time on a corpus seeded from tests/data.
#   fuzz/run.sh [SECONDS]      default 60
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAROVENT_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" >/dev/null
cmake --build "$build" --target fuzz_docx -j"${JOBS:-$(nproc)}"
corpus="$build/corpus"
mkdir -p "$corpus"
cp -n tests/data/corpus/*.docx tests/data/corpus/*.dotx tests/data/lo-features.docx "$corpus"/ 2>/dev/null || true
if command -v unzip >/dev/null; then
  for f in tests/data/corpus/*.docx tests/data/lo-features.docx; do
    unzip -p "$f" word/document.xml > "$corpus/$(basename "$f").xml" 2>/dev/null || true
  done
fi
exec "$build/fuzz/fuzz_docx" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus"
