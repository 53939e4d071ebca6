#!/usr/bin/env bash
# One command from a fresh clone to the running program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
if [[ $# -gt 0 ]]; then
    exec "$root/build/bin/corvane-cli" scan "$@"
fi
exec "$root/build/bin/corvane-mp3"
