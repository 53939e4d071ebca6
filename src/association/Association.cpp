#include "association/Association.h"

#include <algorithm>
#include <cstdlib>

#include "association/DisplayLine.h"
#include "association/MatchScore.h"

namespace corvane {

namespace {

std::int64_t Distance(std::uint32_t a, std::uint32_t b) {
    return std::llabs(static_cast<std::int64_t>(a) - static_cast<std::int64_t>(b));
}

ListRow BlankRow() {
    return {kBlankRowText, 0, -1};
}

}  // namespace

Association::Association(const TrackList& files, const TrackList& tracks)
    : files_(files), tracks_(tracks) {
    prepared_.reserve(files_.size());
    for (const TrackInfo& file : files_) {
        prepared_.push_back({PrepareFileSide(file.fileName),
                             file.title.empty() ? std::string() : PrepareFileSide(file.title)});
        heldBySound_.push_back(FindTrackBySound(file.soundKey) >= 0);
    }
}

int Association::FindTrackBySound(const std::string& key) const {
    for (std::size_t t = 0; !key.empty() && t < tracks_.size(); ++t) {
        if (tracks_[t].soundKey == key) {
            return static_cast<int>(t);
        }
    }
    return -1;
}

int Association::FindFileBySound(const std::string& key) const {
    for (std::size_t i = 0; !key.empty() && i < files_.size(); ++i) {
        if (heldBySound_[i] && files_[i].soundKey == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Association::Reset() {
    fileRows_.clear();
    titleRows_.clear();
    unplaced_.clear();
}

int Association::FindFileByNumber(std::uint32_t trackSeconds, int trackNumber) const {
    const std::string key = (trackNumber < 10 ? "0" : "") + std::to_string(trackNumber);
    const std::string digit = PrepareTitleSide(" " + std::to_string(trackNumber));
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (heldBySound_[i] || Distance(files_[i].playSeconds, trackSeconds) >= 20) {
            continue;
        }
        // A one-digit number may also stand alone anywhere in the name.
        if (files_[i].fileName.find(key) != std::string::npos ||
            (trackNumber < 10 && ScorePrepared(prepared_[i].name, digit) != 0)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int Association::FindFileByTitle(std::uint32_t trackSeconds, const std::string& trackTitle) const {
    const std::string title = PrepareTitleSide(trackTitle);
    int best = 0;
    int found = -1;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (heldBySound_[i] || Distance(files_[i].playSeconds, trackSeconds) > 10) {
            continue;
        }
        if (!files_[i].title.empty()) {
            const int score = ScorePrepared(prepared_[i].title, title);
            if (score > best) {
                best = score;
                found = static_cast<int>(i);
            }
        }
        const int score = ScorePrepared(prepared_[i].name, title);
        if (score > best) {
            best = score;
            found = static_cast<int>(i);
        }
    }
    return best > 50 ? found : -1;
}

int Association::FindFileByPlayTime(std::uint32_t trackSeconds) const {
    int found = -1;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (heldBySound_[i]) {
            continue;
        }
        if (found < 0 ||
            Distance(files_[i].playSeconds, trackSeconds) <
                Distance(files_[static_cast<std::size_t>(found)].playSeconds, trackSeconds)) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

void Association::PlaceFileLine(int fileIndex, MatchQuality quality) {
    ListRow row{FileDisplayLine(files_[static_cast<std::size_t>(fileIndex)]), quality, fileIndex};
    const auto earlier = std::find_if(fileRows_.begin(), fileRows_.end(),
                                      [&](const ListRow& r) { return r.record == fileIndex; });
    if (earlier == fileRows_.end()) {
        unplaced_.erase(std::remove(unplaced_.begin(), unplaced_.end(), fileIndex),
                        unplaced_.end());
        fileRows_.push_back(std::move(row));
    } else if (quality > earlier->data) {
        // The file stays where a better match put it.
        fileRows_.push_back(BlankRow());
    } else {
        // An equal or better match: the later track takes the file.
        *earlier = BlankRow();
        fileRows_.push_back(std::move(row));
    }
}

void Association::PlaceLeftoverFiles() {
    for (int fileIndex : unplaced_) {
        const std::uint32_t seconds = files_[static_cast<std::size_t>(fileIndex)].playSeconds;
        int nearest = -1;
        const std::size_t rows = std::min(fileRows_.size(), tracks_.size());
        for (std::size_t i = 0; i < rows; ++i) {
            if (fileRows_[i].record >= 0 || fileRows_[i].text != kBlankRowText) {
                continue;
            }
            if (nearest < 0 ||
                Distance(seconds, tracks_[i].playSeconds) <
                    Distance(seconds, tracks_[static_cast<std::size_t>(nearest)].playSeconds)) {
                nearest = static_cast<int>(i);
            }
        }
        ListRow row{FileDisplayLine(files_[static_cast<std::size_t>(fileIndex)]), 0, fileIndex};
        if (nearest >= 0) {
            fileRows_[static_cast<std::size_t>(nearest)] = std::move(row);
        } else {
            fileRows_.push_back(std::move(row));
        }
    }
    unplaced_.clear();
}

void Association::PadRows() {
    while (fileRows_.size() < titleRows_.size()) {
        fileRows_.push_back(BlankRow());
    }
    while (titleRows_.size() < fileRows_.size()) {
        titleRows_.push_back(BlankRow());
    }
}

void Association::AutoAssociate() {
    Reset();
    for (std::size_t i = 0; i < files_.size(); ++i) {
        unplaced_.push_back(static_cast<int>(i));
    }
    for (std::size_t t = 0; t < tracks_.size(); ++t) {
        const TrackInfo& track = tracks_[t];
        titleRows_.push_back({TrackDisplayLine(track), 0, static_cast<int>(t)});
        if (files_.empty()) {
            fileRows_.push_back(BlankRow());
            continue;
        }
        // The file whose own sound named this track needs no other clue.
        const int bySound = FindFileBySound(track.soundKey);
        if (bySound >= 0) {
            PlaceFileLine(bySound, ByNumber);
            continue;
        }
        const int number = static_cast<int>(t) + 1;
        const int byNumber = FindFileByNumber(track.playSeconds, number);
        if (byNumber >= 0) {
            PlaceFileLine(byNumber, ByNumber);
            continue;
        }
        const int byTitle = FindFileByTitle(track.playSeconds, track.title);
        if (byTitle >= 0) {
            PlaceFileLine(byTitle, ByTitle);
            continue;
        }
        const int byPlayTime = FindFileByPlayTime(track.playSeconds);
        if (byPlayTime >= 0) {
            PlaceFileLine(byPlayTime, ByPlayTime);
        } else {
            fileRows_.push_back(BlankRow());  // every file is taken by its sound
        }
    }
    PlaceLeftoverFiles();
    PadRows();
}

void Association::ManualAssociate() {
    Reset();
    for (std::size_t t = 0; t < tracks_.size(); ++t) {
        titleRows_.push_back({TrackDisplayLine(tracks_[t]), 0, static_cast<int>(t)});
    }
    for (std::size_t i = 0; i < files_.size(); ++i) {
        fileRows_.push_back({FileDisplayLine(files_[i]), 0, static_cast<int>(i)});
    }
    PadRows();
}

std::vector<std::string> Association::UnplacedLines() const {
    std::vector<std::string> lines;
    for (int fileIndex : unplaced_) {
        lines.push_back(FileDisplayLine(files_[static_cast<std::size_t>(fileIndex)]));
    }
    return lines;
}

namespace {

bool IsRealRow(const ListRow& row) {
    return !row.text.empty() && row.text != kBlankRowText;
}

int RecordOfRow(const ListRow& row, const TrackList& records) {
    if (row.record >= 0 && row.record < static_cast<int>(records.size())) {
        return row.record;
    }
    return FindRecordForLine(records, row.text);
}

}  // namespace

std::vector<AssociatedPair> AssociatedPairs(const RowList& fileRows, const RowList& titleRows,
                                            const TrackList& files, const TrackList& tracks) {
    std::vector<AssociatedPair> pairs;
    const std::size_t rows = std::min(fileRows.size(), titleRows.size());
    for (std::size_t i = 0; i < rows; ++i) {
        if (!IsRealRow(fileRows[i]) || !IsRealRow(titleRows[i])) {
            continue;
        }
        const AssociatedPair pair{RecordOfRow(fileRows[i], files),
                                  RecordOfRow(titleRows[i], tracks)};
        if (pair.file >= 0 && pair.track >= 0) {
            pairs.push_back(pair);
        }
    }
    return pairs;
}

}  // namespace corvane
