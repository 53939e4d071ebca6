#!/usr/bin/env bash
# Installs what is missing, then configures and builds (preset "default").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
cd "$root"
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
