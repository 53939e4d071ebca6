#!/usr/bin/env bash
# The Debian package made from this build, unpacked into a scratch root
# (dpkg-deb -x): its programs must run from there, on their own components.
#   InstalledPackage.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps lame; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-package.XXXXXX")
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The package's own settings on this build's install tree, packed as it is:
# cpack alone would first bring the whole build tree up to date.
{
    DESTDIR=$work/stage cmake --install "$build" --prefix /usr --strip &&
        cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" \
            -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$work/stage;."
} > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/corvane-mp3_${version}_amd64.deb
[[ -f $deb ]] || fail "no $(basename "$deb"), only: $(ls "$work")"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libtag1* ]] || fail "Depends: $depends"
for tool in lame kid3 eyed3 mutagen gtest gmock cddb benchmark ffmpeg; do
    [[ $depends != *$tool* ]] || fail "the test tool $tool is in Depends: $depends"
done

dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin
[[ $("$bin/corvane-cli" --version) == "corvane-cli $version" ]] || fail "corvane-cli --version"

mkdir "$work/album"
for seconds in 2 3; do
    head -c $((seconds * 44100 * 4)) /dev/zero |
        lame --quiet -r -s 44.1 --bitwidth 16 - "$work/album/$seconds.mp3"
done
scan=$("$bin/corvane-cli" scan "$work/album") || fail "corvane-cli scan from the package"
[[ $scan == *"DISK ID = "* && $scan == "$("$build/bin/corvane-cli" scan "$work/album")" ]] ||
    fail "corvane-cli scan from the package printed: $scan"

# The menu's launcher makes the settings folder and starts the window in it.
HOME=$work/home XDG_CONFIG_HOME='' "$bin/corvane-mp3-launcher" --version > /dev/null
[[ -d $work/home/.config/corvane-mp3 ]] || fail "the launcher made no ~/.config/corvane-mp3"
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen "$bin/corvane-mp3-launcher" \
    > "$work/window.log" 2>&1 &
pid=$!
lib=$work/root/usr/lib/corvane-mp3
for _ in $(seq 300); do
    maps=$(cat "/proc/$pid/maps" 2> /dev/null) || break
    [[ $maps == *"$lib/Mp3Info.so"* && $maps == *"$lib/Settings.so"* ]] && break
    sleep 0.1
done
[[ $maps == *"$lib/Mp3Info.so"* && $maps == *"$lib/Settings.so"* ]] ||
    { cat "$work/window.log"; fail "corvane-mp3 did not load both components from $lib"; }
[[ $(readlink "/proc/$pid/cwd") == "$work/config/corvane-mp3" ]] ||
    fail "corvane-mp3 runs in $(readlink "/proc/$pid/cwd")"
echo "corvane-mp3_${version}_amd64.deb: Depends: $depends"
