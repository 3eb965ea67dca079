#!/usr/bin/env bash
# Builds the program and starts it on its built-in simulated bus in a fresh working folder.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
[ "${1:-}" = "--no-install" ] && shift || "$src/tools/install-deps.sh"
cd "$src"
cmake --preset release >/dev/null
cmake --build --preset release --target dorvanex -j "$(nproc)"
work="${DORVANEX_WORKDIR:-$HOME/dorvanex-demo}"
mkdir -p "$work"
cd "$work"
exec "$src/build/release/app/dorvanex" --simulate "$@"
