#!/usr/bin/env bash
# Builds the program and starts it on its built-in simulated bus in a fresh working folder.
# --bus writes the marker files into the working folder: HZL_mod.cfg or HZL3_mod.cfg with
# HZL_chart_enabled.cfg (the transfer menu with the gateway pages), or none of them, so
# the simulated bus behind a gateway can be tried too.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
. "$src/tools/options.sh"
usage="Usage: tools/run.sh [--no-install] [--bus direct|hzl|hzl3] [dorvanex options] [-- ...]
Installs the build's packages, builds dorvanex and dorvanex-sim (what the install puts
in place) and starts dorvanex with --simulate in
\${DORVANEX_WORKDIR:-~/dorvanex-demo}. Options in any order:
  --no-install       skips installing the packages (tools/install-deps.sh)
  --bus direct|hzl|hzl3
                     writes the marker files of a direct bus, an HZL or an HZL3 gateway
                     into the working folder
  --simulate, --preset [COMn=]FILE, --screenshot FILE
                     go to dorvanex (dorvanex --help), as does everything after --
  -h, --help         shows this text and ends"

# The whole command line is checked before anything is installed or built.
install=1
bus=""
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    -h | --help) printf '%s\n' "$usage"; exit 0 ;;
    --no-install) install=0 ;;
    --bus)
      case "${2:-}" in
        direct | hzl | hzl3) bus="$2"; shift ;;
        *) echo "run.sh: --bus takes direct, hzl or hzl3" >&2; exit 2 ;;
      esac ;;
    --simulate) args+=("$1") ;;
    --preset | --screenshot)
      [ $# -ge 2 ] || { echo "run.sh: $1 needs a file" >&2; exit 2; }
      # A relative file is meant from where the script was started, not the working folder.
      case "$2" in
        "" | /* | COM*=/*) file="$2" ;;
        COM*=*) file="${2%%=*}=$PWD/${2#*=}" ;;
        *) file="$PWD/$2" ;;
      esac
      args+=("$1" "$file")
      shift ;;
    --) shift; args+=("$@"); break ;;
    *) refuse_argument run.sh "$usage" "$1" ;;
  esac
  shift
done

if [ "$install" = 1 ]; then "$src/tools/install-deps.sh"; fi
cd "$src"
cmake --preset release >/dev/null
# Every program the install puts in place, so `cmake --install build/release` finds them.
cmake --build --preset release --target programs -j "$(nproc)"
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
exec "$src/build/release/app/dorvanex" --simulate "${args[@]}"
