#!/usr/bin/env bash
# Builds and runs the benchmarks, printing their figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DTELLORA_TESTS=OFF >/dev/null
cmake --build "$root/build/bench" -j"$(nproc)"
cd "$root/build/bench/bench"
for b in ./bench_*; do
    # Only the programs: their build leaves folders of the same names beside them.
    [[ -f "$b" && -x "$b" ]] || continue
    echo "== $b"
    QT_QPA_PLATFORM=offscreen "$b" "$@"
done
