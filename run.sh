#!/usr/bin/env bash
# Installs what is missing, makes a release build and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
configure_and_build "$BUILD_DIR"
# Without a database named, the program opens its sample database.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start it on a desktop, or under xvfb-run." >&2
  exit 1
fi
exec "$BUILD_DIR/app/kelmor" "$@"
