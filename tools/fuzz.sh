#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer),
# makes seed corpora with the program's own code, runs every target for the given number of
# seconds, then runs the crash-safety test in its long mode.
#
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     (default 60 seconds, all targets)
#
# Findings (crash-*, leak-*, timeout-* files) land in build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
KELMOR_ROOT="$(pwd)"
SECONDS_PER_TARGET="${1:-60}"
shift || true

missing=()
for pkg in clang libclang-rt-14-dev cmake ninja-build libxml2-dev libgtest-dev; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

BUILD="$KELMOR_ROOT/build-fuzz"
if [ ! -f "$BUILD/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$KELMOR_ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELMOR_FUZZ=ON -DKELMOR_DESKTOP=OFF >/dev/null
fi
# Only the fuzz targets and the seed maker (the tests are built by test.sh).
fuzz_targets=()
for source in "$KELMOR_ROOT"/fuzz/fuzz_*.cpp; do fuzz_targets+=("$(basename "$source" .cpp)"); done
cmake --build "$BUILD" --target "${fuzz_targets[@]}" kelmor_fuzz_seeds -- -j"$(nproc)"

CORPUS="$BUILD/corpus"
"$BUILD/fuzz/kelmor_fuzz_seeds" "$CORPUS"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$BUILD"/fuzz/fuzz_*; do targets+=("$(basename "$exe")"); done
fi

summary=()
for target in "${targets[@]}"; do
  mkdir -p "$CORPUS/$target" "$BUILD/findings/$target"
  log="$BUILD/findings/$target/run.log"
  echo "== $target: ${SECONDS_PER_TARGET}s" >&2
  status=0
  (cd "$BUILD/findings/$target" && "$BUILD/fuzz/$target" "$CORPUS/$target" \
     -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 \
     -print_final_stats=1 >"$log" 2>&1) || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  summary+=("$target: $runs executions in ${SECONDS_PER_TARGET}s, exit $status")
  [ $status -ne 0 ] && tail -40 "$log" >&2
done

# KELMOR_CRASH_KILLS=0 leaves the crash-safety run out.
if [ "${KELMOR_CRASH_KILLS:-5000}" = "0" ]; then
  :
elif [ -x "$KELMOR_ROOT/build/tests/engine/engine_tests" ]; then
  echo "== crash safety, long mode" >&2
  KELMOR_CRASH_KILLS="${KELMOR_CRASH_KILLS:-5000}" \
    "$KELMOR_ROOT/build/tests/engine/engine_tests" --gtest_filter='CrashSafety*' >&2
else
  echo "(build the normal tests first with ./test.sh)" >&2
fi

printf '%s\n' "${summary[@]}"
