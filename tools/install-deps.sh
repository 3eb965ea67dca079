#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/options.sh
takes_no_options install-deps.sh "Usage: tools/install-deps.sh
Installs the Debian packages of tools/deb-packages.txt with apt-get (through sudo when
not root).
  -h, --help  shows this text and ends" "$@"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps.sh: run it as root (sudo is not installed)" >&2; exit 1; }
  as_root=(sudo)
fi
# Through env: sudo does not pass the caller's environment on.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends $(cat tools/deb-packages.txt)
