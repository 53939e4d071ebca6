#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

// A name format is a template in which %0 .. %8 stand for fields of a track:
// %0 track number, %1 artist, %2 title, %3 year, %4 album, %5 length,
// %6 bitrate, %7 genre, %8 comment, %9 disc number (empty for a one-disc
// album). Everything else is copied as it is.

inline constexpr const char* kDefaultNameFormat = "%0 - %2";
// The editor does not let these be removed.
inline constexpr std::array<const char*, 3> kPresetNameFormats = {"%0 - %2", "%0 - [%4] - %2",
                                                                  "(%1) - %0 - %2"};
inline constexpr const char* kNameExtension = ".mp3";
// The longest file name Linux accepts, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

bool IsPresetNameFormat(std::string_view nameFormat);

// The template a format names: a format written with the keyword words
// ("Track# - Title") is read back to codes; a text too short to hold a
// keyword gives the default, as in the window.
std::string NameTemplate(std::string format);

// "%0 - [%4] - %2" <-> "Track# - [Album] - Title". FromDisplayName also takes
// the bare word "Track" and the spellings "Bitrate" and "Comments", and
// matches case-sensitively, without looking at word boundaries ("Tracks"
// gives "%0s"). Text in double quotes is literal ("" is one quote). A
// template whose literal text would read back as keywords gets that text
// quoted, so FromDisplayName(ToDisplayName(t)) == t for every template.
std::string ToDisplayName(std::string_view nameFormat);
std::string FromDisplayName(std::string_view displayName);

// Replaces every non-overlapping occurrence of `from`, left to right.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// The keywords of nameFormat replaced by the record's fields, %0 first. A
// field holding a later keyword is expanded again ("%8" as a title becomes
// the comment). The growth is bounded, since only the start of the text can
// end up in a file name.
std::string ExpandNameFormat(std::string_view nameFormat, const TrackInfo& record);

// The new file name of a record: expanded, case converted, cleaned of
// characters a file name cannot hold, cut to the Linux limit, plus ".mp3".
std::string BuildFileName(const TrackInfo& record, std::string_view nameFormat,
                          std::string_view caseMode);

// A name describes the file it is given to: the track's fields with the play
// time and bitrate (%5, %6) of its file. The album's own track lengths come
// from the disc's offsets and carry no bitrate.
TrackInfo NamingRecord(const TrackInfo& track, const TrackInfo& file);

// Sets the fileName of every track: track trackRows[k] is named for file
// fileRows[k]; a track without a file (a row of -1 or out of range) is named
// from its own fields.
void NamePairedTracks(TrackList& tracks, const TrackList& files, const std::vector<int>& fileRows,
                      const std::vector<int>& trackRows, std::string_view nameFormat,
                      std::string_view caseMode);

}  // namespace corvane
