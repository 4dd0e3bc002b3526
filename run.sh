#!/usr/bin/env bash
# Installs what is missing, makes a release build and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
configure_and_build "$BUILD_DIR"
# The desktop program comes later; until then the command-line tool shows its usage.
if true; then
  exec "$BUILD_DIR/cli/kelmor-cli" --help
fi
exec "$BUILD_DIR/cli/kelmor-cli" info "$@"
