#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "album/TrackInfo.h"

namespace corvane {

// One row of an association list. data is the list item's data: for a file
// placed by the automatic matching, the quality of that match. record is the
// index of the row's file or track in its source list, -1 for a blank row; it
// keeps two files apart even when their rows read the same.
struct ListRow {
    std::string text;
    int data = 0;
    int record = -1;
};
using RowList = std::vector<ListRow>;

// A row standing for a track without a file, or a file without a title.
inline constexpr const char* kBlankRowText = " ";

// How a file was found for a track; lower is better.
enum MatchQuality : int { ByNumber = 0, ByTitle = 1, ByPlayTime = 2 };

// Pairs the album's files with the album's track titles as two lists of rows:
// row k of the file rows faces row k of the title rows. The source lists are
// not owned and must outlive the object; build a new one when they change.
class Association {
public:
    Association(const TrackList& files, const TrackList& tracks);

    // Files matched to tracks by their sound (after an identification by
    // sound), by number in the file name, by title and by play time; files no track chose fill the
    // blank rows nearest in play time. Both lists end with the same number of rows, every file in
    // one row.
    void AutoAssociate();
    // Files and titles side by side in their own order.
    void ManualAssociate();

    // The finders return an index into the file list, or -1.
    int FindFileByNumber(std::uint32_t trackSeconds, int trackNumber) const;
    int FindFileByTitle(std::uint32_t trackSeconds, const std::string& trackTitle) const;
    int FindFileByPlayTime(std::uint32_t trackSeconds) const;
    // After an identification by sound: the track, or the file held by its
    // sound, with this key. The other finders pass over files so held.
    int FindTrackBySound(const std::string& key) const;
    int FindFileBySound(const std::string& key) const;
    // Appends the row for the next track, settling a file chosen twice.
    void PlaceFileLine(int fileIndex, MatchQuality quality);

    const RowList& FileRows() const { return fileRows_; }
    const RowList& TitleRows() const { return titleRows_; }
    // Display lines of the files not placed yet, in file order.
    std::vector<std::string> UnplacedLines() const;

private:
    struct PreparedFile {
        std::string name;   // file name, prepared for scoring
        std::string title;  // title tag, prepared; empty when there is none
    };

    void Reset();
    void PlaceLeftoverFiles();
    void PadRows();

    const TrackList& files_;
    const TrackList& tracks_;
    std::vector<PreparedFile> prepared_;
    std::vector<bool> heldBySound_;  // per file
    RowList fileRows_;
    RowList titleRows_;
    std::vector<int> unplaced_;
};

// One file and the track it is to become, as indexes into the two lists.
struct AssociatedPair {
    int file = -1;
    int track = -1;
};

// The pairs that the two row lists show, row against row, for the OK step of
// the association dialog: rows facing a blank (" ") or an emptied ("") row
// are left out. A row without its record index is looked up by its text.
std::vector<AssociatedPair> AssociatedPairs(const RowList& fileRows, const RowList& titleRows,
                                            const TrackList& files, const TrackList& tracks);

}  // namespace corvane
