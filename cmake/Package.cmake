# Install rules of the programs and the Debian package made from them
# (cpack -G DEB, or tools/package.sh).
#
# The programs go to bin and the two components to lib/corvane-mp3: the
# component loader looks beside the program first (the build tree), then in
# ../lib/corvane-mp3, so these two folders stay fixed whatever the prefix.
# The pictures are compiled into the programs.
install(TARGETS corvane-mp3 corvane-cli corvane-cddbd RUNTIME DESTINATION bin)
install(TARGETS Mp3Info Settings LIBRARY DESTINATION lib/corvane-mp3)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-mp3)
set(CPACK_PACKAGE_VENDOR "The Corvane MP3 developers")
set(CPACK_PACKAGE_CONTACT "The Corvane MP3 developers <corvane-mp3@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "put an album folder of MP3 files in order")
# CPack puts the summary above this and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Corvane MP3 lists the MP3 files of an album folder with their play time,
bitrate and ID3 fields, computes the CDDB disc id of the CD they came from
and looks the album up on a CDDB server. It then creates the album
directory, moves, tags and renames the files after a name template and
writes an M3U playlist, never replacing an existing file.

The package holds the window (corvane-mp3), the command-line companion
corvane-cli and corvane-cddbd, a local CDDB server for offline use.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CORVANE_HOMEPAGE_URL})
# The dependencies come from the shared libraries the programs and components
# link; the tools the tests use (lame, kid3-cli, ...) are not among them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
