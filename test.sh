#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
configure_and_build "$BUILD_DIR"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" "$@"
