#include "processing/FilePairing.h"

#include <algorithm>
#include <numeric>

namespace corvane {

namespace {

bool IsRecordIndex(int index, const TrackList& list) {
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

// Decides why a paired file cannot be processed; empty when it can.
std::string CheckPair(const FileJob& job, const std::vector<bool>& fileSeen,
                      const std::vector<bool>& trackSeen, const TrackList& tracks) {
    if (job.fileRecord < 0) {
        return "no file record for this row";
    }
    if (fileSeen[static_cast<std::size_t>(job.fileRecord)]) {
        return "the file is listed twice";
    }
    if (job.trackRecord < 0) {
        return "no album track for this file";
    }
    if (trackSeen[static_cast<std::size_t>(job.trackRecord)]) {
        return "its album track is paired with another file";
    }
    const std::string& newName = tracks[static_cast<std::size_t>(job.trackRecord)].fileName;
    if (!IsUsableFileName(newName)) {
        return "the album track's file name \"" + newName + "\" is not usable";
    }
    return {};
}

}  // namespace

bool IsUsableFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    if (name.find_first_not_of(" \t") == std::string::npos) {
        return false;
    }
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::vector<int> RecordOrderRows(std::size_t count) {
    std::vector<int> rows(count);
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

std::vector<int> PartnerTrackRows(const std::vector<int>& fileRows,
                                  const std::vector<int>& trackRows) {
    std::vector<int> partners;
    partners.reserve(fileRows.size());
    for (const int record : fileRows) {
        const bool shown = std::find(trackRows.begin(), trackRows.end(), record) != trackRows.end();
        partners.push_back(shown && record >= 0 ? record : -1);
    }
    return partners;
}

bool LengthsDisagree(const TrackInfo& file, const TrackInfo& track) {
    const std::uint32_t longer = std::max(file.playSeconds, track.playSeconds);
    const std::uint32_t shorter = std::min(file.playSeconds, track.playSeconds);
    return longer - shorter > kLengthTolerance;
}

std::vector<FileJob> LengthMismatches(const std::vector<FileJob>& jobs, const TrackList& files,
                                      const TrackList& tracks) {
    std::vector<FileJob> mismatches;
    for (const FileJob& job : jobs) {
        if (job.skipReason.empty() &&
            LengthsDisagree(files[static_cast<std::size_t>(job.fileRecord)],
                            tracks[static_cast<std::size_t>(job.trackRecord)])) {
            mismatches.push_back(job);
        }
    }
    return mismatches;
}

std::string LengthMismatchText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " file differs" : " files differ") +
           " in length from " + (count == 1 ? "its track" : "their tracks") + " by more than " +
           std::to_string(kLengthTolerance) + " seconds";
}

std::vector<FileJob> PairRows(const TrackList& files, const std::vector<int>& fileRows,
                              const TrackList& tracks, const std::vector<int>& trackRows) {
    std::vector<FileJob> jobs;
    std::vector<bool> fileSeen(files.size(), false);
    std::vector<bool> trackSeen(tracks.size(), false);
    for (std::size_t row = 0; row < fileRows.size(); ++row) {
        FileJob job;
        job.row = static_cast<int>(row);
        if (IsRecordIndex(fileRows[row], files)) {
            job.fileRecord = fileRows[row];
            job.currentName = files[static_cast<std::size_t>(job.fileRecord)].fileName;
        }
        if (row < trackRows.size() && IsRecordIndex(trackRows[row], tracks)) {
            job.trackRecord = trackRows[row];
            job.newName = tracks[static_cast<std::size_t>(job.trackRecord)].fileName;
        }
        job.skipReason = CheckPair(job, fileSeen, trackSeen, tracks);
        if (job.skipReason.empty()) {
            fileSeen[static_cast<std::size_t>(job.fileRecord)] = true;
            trackSeen[static_cast<std::size_t>(job.trackRecord)] = true;
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

}  // namespace corvane
