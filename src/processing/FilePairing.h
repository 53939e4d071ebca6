#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

// One row of the file list and what the processing does with its file.
struct FileJob {
    int row = 0;                // row of the file list view
    int fileRecord = -1;        // index into the file records; -1 = none
    int trackRecord = -1;       // index into the database track records; -1 = none
    std::string skipReason;     // non-empty: the file is left untouched
    std::string newName;        // the name its album track gives it
    std::string refusal;        // foreseen: what the run will refuse to do, and why
    std::string currentName;    // the file's name now, in the folder where it lies
    bool inWorkFolder = false;  // lies in the folder where it is tagged and renamed
    bool tagDone = false;       // its new tag is written
    std::string oldTagCopy;     // where the run keeps its old tag
    bool failed = false;        // moving, tagging or renaming it failed

    bool operator==(const FileJob&) const = default;
};

// Pairs file-list row k with database-list row k. Each row is given by the
// record index it carries (the item data of the list views), in view order.
// Rows without a usable partner come back with a skip reason.
std::vector<FileJob> PairRows(const TrackList& files, const std::vector<int>& fileRows,
                              const TrackList& tracks, const std::vector<int>& trackRows);

// Rows 0..count-1, for lists shown in record order.
std::vector<int> RecordOrderRows(std::size_t count);

// The database rows lined up with the file rows by the record index each row carries: a
// file row carrying k pairs with the database row carrying k, wherever the views have
// moved either. -1 where no database row carries it.
std::vector<int> PartnerTrackRows(const std::vector<int>& fileRows,
                                  const std::vector<int>& trackRows);

// How far, in seconds, a file's play time may be from its track's length before the pair
// looks wrong. The track's length comes from the disc's offsets in whole seconds, and the
// first track also counts the two seconds before its offset.
inline constexpr std::uint32_t kLengthTolerance = 5;

bool LengthsDisagree(const TrackInfo& file, const TrackInfo& track);

// The jobs that would be processed whose file and track lengths disagree.
std::vector<FileJob> LengthMismatches(const std::vector<FileJob>& jobs, const TrackList& files,
                                      const TrackList& tracks);

// "1 file differs ..." / "3 files differ ..." in length from their tracks.
std::string LengthMismatchText(std::size_t count);

// A name that can be given to a file inside its folder: not empty or blank,
// not "." or "..", without "/" or NUL.
bool IsUsableFileName(const std::string& name);

}  // namespace corvane
