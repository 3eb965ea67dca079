#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need.
set -euo pipefail
cd "$(dirname "$0")/.."
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends $(cat tools/deb-packages.txt)
