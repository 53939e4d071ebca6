#!/usr/bin/env bash
# One command from a fresh clone to passing tests: install, configure, build,
# then every test through ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
cd "$root"
ctest --preset default -j"$(nproc)"
