#!/usr/bin/env bash
# Fails when a C++ file of the project drifts from .clang-format (fix with clang-format -i).
set -euo pipefail
cd "$(dirname "$0")/.."
drift=()
while IFS= read -r f; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || drift+=("$f")
done < <(git ls-files -- '*.cpp' '*.h')
if [ ${#drift[@]} -ne 0 ]; then
  echo "Not formatted (run clang-format -i on them):" >&2
  printf '  %s\n' "${drift[@]}" >&2
  exit 1
fi
