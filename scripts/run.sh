#!/usr/bin/env bash
# Builds Tellora, installs it into its program folder and starts it.
#   scripts/run.sh [program-folder]      (default: ~/Tellora, or $TELLORA_HOME)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
prefix="${1:-${TELLORA_HOME:-$HOME/Tellora}}"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DTELLORA_TESTS=OFF -DTELLORA_BENCH=OFF >/dev/null
cmake --build "$root/build/release" --target tellora -j"$(nproc)"
cmake --install "$root/build/release" --prefix "$prefix" >/dev/null
echo "Installed into $prefix"
exec "$prefix/tellora"
