#!/usr/bin/env bash
# Builds the program and starts it on its built-in simulated bus in a fresh working folder.
#   tools/run.sh [--no-install] [--bus direct|hzl|hzl3] [dorvanex options...]
# --bus writes the marker files into the working folder: HZL_mod.cfg or HZL3_mod.cfg with
# HZL_chart_enabled.cfg (the transfer menu with the gateway pages), or none of them, so
# the simulated bus behind a gateway can be tried too.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
[ "${1:-}" = "--no-install" ] && shift || "$src/tools/install-deps.sh"
bus=""
if [ "${1:-}" = "--bus" ]; then
  bus="${2:-}"
  case "$bus" in
    direct|hzl|hzl3) shift 2 ;;
    *) echo "run.sh: --bus takes direct, hzl or hzl3" >&2; exit 2 ;;
  esac
fi
cd "$src"
cmake --preset release >/dev/null
cmake --build --preset release --target dorvanex -j "$(nproc)"
work="${DORVANEX_WORKDIR:-$HOME/dorvanex-demo}"
mkdir -p "$work"
cd "$work"

# A marker file in the program's checked container: the content, byte 26, a blank and the
# sum of (character code Xor &H5555) over the content.
write_marker() {
  local content="$1" sum=0 i code
  for ((i = 0; i < ${#content}; i++)); do
    printf -v code '%d' "'${content:i:1}"
    sum=$((sum + (code ^ 0x5555)))
  done
  printf '%s\x1a %d' "$content" "$sum" > "$2"
}
if [ -n "$bus" ]; then
  rm -f HZL_mod.cfg HZL3_mod.cfg HZL_chart_enabled.cfg
  case "$bus" in
    hzl) write_marker "HZL" HZL_mod.cfg ;;
    hzl3) write_marker "HZL3" HZL3_mod.cfg ;;
  esac
  [ "$bus" = direct ] || write_marker "enabled" HZL_chart_enabled.cfg
fi
exec "$src/build/release/app/dorvanex" --simulate "$@"
