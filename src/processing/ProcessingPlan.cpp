#include "processing/ProcessingPipeline.h"

#include <set>
#include <string>

#include "naming/FileNameCleanup.h"
#include "naming/NameFormat.h"
#include "platform/FileSystem.h"
#include "processing/FilePairing.h"
#include "processing/PlaylistWriter.h"

namespace corvane {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string AlbumDirectoryName(const TrackInfo& firstTrack) {
    // A long artist and album would otherwise make the directory impossible to create.
    return LimitBytes(ReplaceIllegalChars(firstTrack.artist + " - " + firstTrack.album),
                      kMaxFileNameBytes);
}

Plan MakePlan(const TrackList& files, const std::vector<int>& fileRows, const TrackList& tracks,
              const std::vector<int>& trackRows, const ProcessingOptions& options,
              const std::string& directoryName) {
    Plan plan;
    plan.albumFolder = files.empty() ? std::string() : FolderOf(files.front().filePath);
    plan.jobs = PairRows(files, fileRows, tracks, trackRows);
    if (!tracks.empty()) {
        const std::string dirName =
            directoryName.empty() ? AlbumDirectoryName(tracks.front()) : directoryName;
        plan.dirName = options.createDirectory ? dirName : "";
        plan.playlistName = options.createPlaylist ? PlaylistFileName(tracks.front()) : "";
    }
    return plan;
}

void ForeseeRefusals(Plan& plan) {
    const bool moving = !plan.dirName.empty();
    const std::string target = plan.albumFolder + (moving ? plan.dirName + "/" : "");
    std::set<std::string> leaving;
    for (const FileJob& job : plan.jobs) {
        if (job.skipReason.empty()) {
            leaving.insert(job.currentName);
        }
    }
    // A directory still to be made holds no names: a library's plans ask nothing then.
    const bool targetExists = !moving || Exists(target);
    std::set<std::string> taken;
    for (FileJob& job : plan.jobs) {
        if (!job.skipReason.empty()) {
            continue;
        }
        if (moving && targetExists && Exists(target + job.currentName)) {
            job.refusal = "the directory holds a file of that name: this one stays where it is";
        } else if (!taken.insert(job.newName).second) {
            job.refusal = "a file above gets that name: this one will keep its name";
        } else if (targetExists && Exists(target + job.newName) &&
                   (moving || leaving.count(job.newName) == 0)) {
            job.refusal = "that name is taken: the file will keep its name";
        }
    }
}

}  // namespace corvane
