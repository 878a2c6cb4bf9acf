#!/usr/bin/env bash
# Builds one fuzzer with clang (address and undefined sanitizers) and runs it for a bounded
# time on a corpus seeded from the test data and the tests' own statements.
#   fuzz/run.sh [TARGET] [SECONDS]   TARGET: docx (default), jetsql, criteria; default 60 s
#   fuzz/run.sh [SECONDS]            the docx target, as before
set -euo pipefail
cd "$(dirname "$0")/.."
target=docx
if [ $# -gt 0 ] && ! [[ "$1" =~ ^[0-9]+$ ]]; then
  target="$1"
  shift
fi
seconds="${1:-60}"
case "$target" in docx | jetsql | criteria) ;; *)
  echo "unknown target '$target' (docx, jetsql, criteria)" >&2
  exit 2
  ;;
esac
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAROVENT_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" >/dev/null
cmake --build "$build" --target "fuzz_$target" -j"${JOBS:-$(nproc)}"
corpus="$build/corpus"
[ "$target" = docx ] || corpus="$build/corpus-$target"
mkdir -p "$corpus"
case "$target" in
  docx)
    cp -n tests/data/corpus/*.docx tests/data/corpus/*.dotx tests/data/lo-features.docx "$corpus"/ 2>/dev/null || true
    if command -v unzip >/dev/null; then
      for f in tests/data/corpus/*.docx tests/data/lo-features.docx; do
        unzip -p "$f" word/document.xml > "$corpus/$(basename "$f").xml" 2>/dev/null || true
      done
    fi
    ;;
  jetsql | criteria)
    fuzz/seed-db.py "$target" "$corpus"
    ;;
esac
exec "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus"
