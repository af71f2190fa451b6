#!/usr/bin/env bash
# Builds Tellora with its tests and benchmarks and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
# The repository's format is part of the test: a file that differs fails.
git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run -Werror)
# Warnings are errors here, so none can land.
cmake -S "$root" -B "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELLORA_WERROR=ON >/dev/null
cmake --build "$root/build/test" -j"$(nproc)"
cd "$root/build/test"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
