#!/usr/bin/env bash
# One command from a fresh clone to passing tests: install, configure, build,
# then every test through ctest; the Release configuration is built as well.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
cd "$root"
# A packager's Release build of the program, so that -O3 warnings fail here too.
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
ctest --preset default -j"$(nproc)"
