#!/usr/bin/env bash
# Applies the code's format (.clang-format) to every C++ file git tracks; with --check, only
# says which files differ and fails if any does.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  clang-format --dry-run --Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
