#!/usr/bin/env bash
# Lays out every C++ file of the repository by .clang-format; with --check, changes
# nothing and fails when a file is not laid out so (the CI runs it that way).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "Layout: ${#files[@]} files as .clang-format says."
else
  clang-format -i "${files[@]}"
fi
