#!/usr/bin/env bash
# Builds everything with address and undefined-behaviour sanitizers, warnings in our own
# targets as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/options.sh
takes_no_options test.sh "Usage: tools/test.sh
Builds everything in build/asan with the default compiler (GCC on Debian), address and
undefined-behaviour sanitizers and warnings in our own code as errors, then runs every
test (ctest --preset asan).
  -h, --help  shows this text and ends" "$@"
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
cmake --preset asan "${gen[@]}" -DDVX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset asan -j "$(nproc)"
ctest --preset asan
