#!/usr/bin/env bash
# Builds a release build and runs the benchmark: tools/bench.sh [--runs N] [--quick]
# Installs sqlite3 (the CSV import is compared with its command-line shell's) and time(1)
# (which measures the peak memory of whole processes).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v sqlite3 >/dev/null || [ ! -x /usr/bin/time ]; then
  sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq sqlite3 time >/dev/null
fi
BUILD_DIR="${BENCH_BUILD_DIR:-$(pwd)/build-release}"
BUILD_TYPE=Release
source tools/setup.sh
configure_and_build "$BUILD_DIR" -DKELMOR_DESKTOP=OFF
exec "$BUILD_DIR/bench/kelmor_bench" "$@"
