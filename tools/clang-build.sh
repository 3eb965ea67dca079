#!/usr/bin/env bash
# Builds everything (app, tests and benchmarks) once more with clang, warnings in our own
# targets as errors. No sanitizers and no test run: the GCC build of tools/test.sh runs the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/options.sh
takes_no_options clang-build.sh "Usage: tools/clang-build.sh
Builds everything (app, tests, benchmarks) in build/clang with clang, warnings in our own
code as errors; runs no test.
  -h, --help  shows this text and ends" "$@"
command -v clang++ >/dev/null || { echo "clang-build.sh: clang++ is not installed (tools/install-deps.sh)" >&2; exit 1; }
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
dir=build/clang
log="$dir/build.log"
mkdir -p "$dir"
CC=clang CXX=clang++ cmake -S . -B "$dir" "${gen[@]}" "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Debug -DDVX_SANITIZE=OFF -DDVX_WARNINGS_AS_ERRORS=ON >"$log" 2>&1 \
  || { cat "$log"; exit 1; }
# The whole log only when something failed; a clean build is one line.
if cmake --build "$dir" -j "$(nproc)" >>"$log" 2>&1; then
  echo "clang build: $(clang++ --version | head -n 1), no warnings"
else
  cat "$log"
  echo "clang build failed (log: $log)" >&2
  exit 1
fi
