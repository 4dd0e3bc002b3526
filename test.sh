#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test: the
# normal build, then every test again in a debug build under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh

configure_and_build "$BUILD_DIR" -DKELMOR_WERROR=ON
(cd "$BUILD_DIR" && ctest --output-on-failure -j"$(nproc)" "$@")

SANITIZE_DIR="${SANITIZE_DIR:-$KELMOR_ROOT/build-sanitize}"
configure_and_build "$SANITIZE_DIR" -DCMAKE_BUILD_TYPE=Debug -DKELMOR_SANITIZE=ON -DKELMOR_WERROR=ON
(cd "$SANITIZE_DIR" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$(nproc)" "$@")
