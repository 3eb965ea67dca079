#!/usr/bin/env bash
# Builds everything with address and undefined-behaviour sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
cmake --preset asan "${gen[@]}" >/dev/null
cmake --build --preset asan -j "$(nproc)"
ctest --preset asan
