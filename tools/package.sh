#!/usr/bin/env bash
# Builds the Debian package corvane-mp3_VERSION_amd64.deb from a Release
# build (preset "release") and puts it in OUTDIR (default: the source folder).
# lintian, when installed, checks it; an error there fails the script.
#   tools/package.sh [OUTDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ ${1:-} == -h || ${1:-} == --help ]]; then
    sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
fi
out=$(mkdir -p "${1:-$root}" && cd "${1:-$root}" && pwd)
"$root/tools/install-deps.sh"
cd "$root"
cmake --preset release > /dev/null
cmake --build --preset release -j"$(nproc)"
rm -rf build-release/package
cpack -G DEB --config build-release/CPackConfig.cmake -B build-release/package
deb=$(find build-release/package -maxdepth 1 -name 'corvane-mp3_*.deb')
mv "$deb" "$out/"
deb=$out/$(basename "$deb")
echo "package: $deb"
dpkg-deb --field "$deb"
if command -v lintian > /dev/null; then
    lintian "$deb"
fi
