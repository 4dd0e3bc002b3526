#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing) and builds into $BUILD_DIR.
# Sourced by run.sh and test.sh; BUILD_DIR and BUILD_TYPE may be set by the caller.
set -euo pipefail

KELMOR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_TYPE="${BUILD_TYPE:-Release}"
BUILD_DIR="${BUILD_DIR:-$KELMOR_ROOT/build}"
# ccache finds what another checkout of the same sources compiled (paths relative to
# the source root, the build folder left out of the hash).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$KELMOR_ROOT}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

KELMOR_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libgmock-dev
  libxml2-dev
  qt6-base-dev xvfb xauth
  clang-format
)

install_missing_packages() {
  local missing=()
  for pkg in "${KELMOR_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}" >&2
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then sudo=(sudo); else
      echo "Please install as root: apt-get install ${missing[*]}" >&2; return 1
    fi
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Configures (a quick step when nothing changed; options given now stay in the cache)
# and builds.
configure_and_build() {
  local dir="$1"; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$KELMOR_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" "$@" >/dev/null
  elif [ $# -gt 0 ]; then
    cmake -S "$KELMOR_ROOT" -B "$dir" "$@" >/dev/null
  fi
  cmake --build "$dir" -- -j"$(nproc)"
}

install_missing_packages
