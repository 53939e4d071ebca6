#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// A copy of a file's old tags, taken before a tag write so that the tags can
// be put back byte for byte: every byte before the audio (the leading ID3v2
// tag by its own size field, which a broken tag may overstate: then some
// audio is kept too) and the last 8 KiB of the file, where ID3v1, APE and
// Lyrics tags lie, with the length and a hash of the audio between them. A
// tag writer changes only what lies around the audio, so the audio found in
// the tagged file by that length and hash is the same audio.
std::string MakeTagBackup(std::string_view oldContent);

// The old file made again from the tagged file's audio and the backup.
// False when the tagged file no longer holds that audio (or the backup is
// not one).
bool RestoreFromTagBackup(std::string_view backup, std::string_view tagged, std::string& restored);

// A digest of a file's tags: of the leading ID3v2 tag (by its size field),
// the last 8 KiB and the size. Undo compares it with the digest of the tag a
// run wrote to tell whether the user has changed the tag since.
std::string TagDigest(std::string_view content);
// The same, of the file at path, reading only the parts it needs; empty
// when the file cannot be read.
std::string TagDigestOfFile(const std::string& path);

// FNV-1a, 64 bits: a check against accidents, not against an attacker.
std::uint64_t ContentHash(std::string_view data);
std::string HashText(std::uint64_t hash);

}  // namespace corvane
