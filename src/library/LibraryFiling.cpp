#include "library/LibraryFiling.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "album/AlbumFolder.h"
#include "association/AlbumPairing.h"
#include "lookup/SearchWords.h"
#include "naming/CaseConversion.h"
#include "naming/NameFormat.h"
#include "platform/FileSystem.h"
#include "processing/Dependencies.h"
#include "processing/PlanText.h"
#include "processing/PlaylistWriter.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RunLock.h"
#include "processing/RunRecovery.h"

namespace corvane {

namespace {

// Keeps the problems of a run for the album's reason.
class ProblemLog : public ProcessingLog {
public:
    void Log(const std::string&) override {}
    void LogProblem(const std::string& text) override {
        if (first_.empty()) {
            first_ = text;
        }
    }
    const std::string& First() const { return first_; }

private:
    std::string first_;
};

std::string ParentOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

struct PreparedDisc {
    AlbumFolder folder;
    AlbumPairing pairing;
    ProcessingOptions options;
    std::string directoryName;
};

// The disc's files read again (they may have changed since the lookup),
// paired and named as the lookup found them.
bool PrepareDisc(const LibraryAlbum& album, std::size_t index, Mp3InfoObject& mp3,
                 const FilingSettings& settings, const std::vector<AlbumFolder>& read,
                 PreparedDisc& prepared, std::string& reason) {
    const LibraryDisc& disc = album.discs[index];
    const AlbumFolder* known = nullptr;
    for (const AlbumFolder& folder : read) {
        known = folder.folder == disc.folder ? &folder : known;
    }
    if (known != nullptr) {
        prepared.folder = *known;
    } else if (ReadFolderFiles(prepared.folder, disc.folder, mp3) <= 0) {
        reason = "cannot read the files of " + disc.folder;
        return false;
    }
    prepared.folder.tracks = disc.tracks;
    prepared.pairing = disc.pairByKeywords ? AutomaticPairing(prepared.folder)
                                           : RecordOrderPairing(prepared.folder);
    if (prepared.folder.files.size() != disc.tracks.size() ||
        !PairingMismatches(prepared.folder, prepared.pairing).empty()) {
        reason = "the files of " + disc.folder + " changed since the lookup";
        return false;
    }
    NamePairedTracks(prepared.folder.tracks, prepared.folder.files, prepared.pairing.fileRows,
                     prepared.pairing.trackRows, settings.nameTemplate, settings.caseMode);
    prepared.options.createPlaylist = settings.createPlaylist && !album.MultiDisc();
    prepared.options.moveDependencies = settings.moveDependencies;
    if (album.MultiDisc()) {
        prepared.directoryName = "../" + AlbumDirectoryName(album.discs.front().tracks.front()) +
                                 "/" + DiscFolderName(static_cast<int>(index) + 1);
    }
    return true;
}

bool FileDisc(const LibraryAlbum& album, std::size_t index, Mp3InfoObject& mp3,
              const FilingSettings& settings, const std::vector<AlbumFolder>& read,
              std::string& reason) {
    const std::string& folder = album.discs[index].folder;
    ProblemLog log;
    const FoundRun run = FindRun(folder);
    if (run.Unfinished()) {
        // Killed mid-filing: its own journal finishes it.
        if (ResumeRun(run.albumFolder, mp3, log) != 0) {
            reason = log.First().empty() ? "the filing could not be finished" : log.First();
            return false;
        }
        return true;
    }
    if (run.found && run.stage == RunStage::kFinished && album.state == AlbumState::kFiling) {
        return true;  // filed before the kill
    }
    PreparedDisc prepared;
    if (!PrepareDisc(album, index, mp3, settings, read, prepared, reason)) {
        return false;
    }
    RunLock lock;
    if (lock.LockRunOf(folder) == EWOULDBLOCK) {
        reason = kFolderLockedText;
        return false;
    }
    ProcessingPipeline pipeline(log);
    pipeline.SetLists(prepared.folder.files, prepared.folder.tracks, prepared.pairing.fileRows,
                      prepared.pairing.trackRows, mp3);
    pipeline.SetOptions(prepared.options);
    pipeline.SetDirectoryName(prepared.directoryName);
    pipeline.SetDependencyOptions(
        ConvertCase(BuildSearchWords(prepared.folder.files, 90), kCaseUpper), false);
    DependencyMover dependencies;
    pipeline.SetDependencyStep(&dependencies);
    pipeline.SetLock(std::move(lock));
    pipeline.RunAll();
    if (pipeline.FailureCount() != 0) {
        reason = log.First().empty() ? pipeline.SummaryText() : log.First();
        return false;
    }
    return true;
}

// One playlist for every disc, written whole or not at all. Each disc's
// files are listed in the order of the track numbers the filing tagged.
bool WriteAlbumPlaylist(const LibraryAlbum& album, Mp3InfoObject& mp3, std::string& reason) {
    std::vector<PlaylistEntry> entries;
    for (std::size_t i = 0; i < album.discs.size(); ++i) {
        const std::string discFolder = DiscFolderName(static_cast<int>(i) + 1);
        AlbumFolder disc;
        ReadFolderFiles(disc, album.albumDirectory + "/" + discFolder, mp3);
        std::stable_sort(disc.files.begin(), disc.files.end(),
                         [](const TrackInfo& a, const TrackInfo& b) { return a.track < b.track; });
        for (const TrackInfo& file : disc.files) {
            entries.push_back({file.playSeconds, PlaylistLabel(file.title, file.fileName),
                               discFolder + "/" + file.fileName});
        }
    }
    const std::string path =
        album.albumDirectory + "/" + PlaylistFileName(album.discs.front().tracks.front());
    if (Exists(path)) {
        // Written before a kill (it is whole), or someone's own: kept either way.
        return true;
    }
    const std::string temporary = path + ".part";
    if (const int error = WriteFileAtomically(temporary, BuildPlaylist(entries)); error != 0) {
        reason = "cannot write the playlist: " + std::string(std::strerror(error));
        return false;
    }
    if (const int error = RenameNoReplace(temporary, path); error != 0) {
        ::unlink(temporary.c_str());
        reason = "cannot write the playlist: " + std::string(std::strerror(error));
        return false;
    }
    return true;
}

}  // namespace

std::string AlbumDirectoryOf(const LibraryAlbum& album) {
    const LibraryDisc& first = album.discs.front();
    const std::string name = AlbumDirectoryName(first.tracks.front());
    return (album.MultiDisc() ? ParentOf(first.folder) : first.folder) + "/" + name;
}

std::string DiscFolderName(int number) {
    return "Disc " + std::to_string(number);
}

bool FileAlbum(LibraryAlbum& album, Mp3InfoObject& mp3, const FilingSettings& settings,
               std::string& reason, const std::vector<AlbumFolder>& read) {
    album.albumDirectory = AlbumDirectoryOf(album);
    if (album.MultiDisc() && ::mkdir(album.albumDirectory.c_str(), 0755) != 0 && errno != EEXIST) {
        reason =
            "cannot create the directory " + album.albumDirectory + ": " + std::strerror(errno);
        return false;
    }
    for (std::size_t i = 0; i < album.discs.size(); ++i) {
        if (!FileDisc(album, i, mp3, settings, read, reason)) {
            return false;
        }
    }
    return !album.MultiDisc() || !settings.createPlaylist || WriteAlbumPlaylist(album, mp3, reason);
}

std::vector<std::string> FilingPlan(const LibraryAlbum& album, Mp3InfoObject& mp3,
                                    const FilingSettings& settings,
                                    const std::vector<AlbumFolder>& read) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < album.discs.size(); ++i) {
        PreparedDisc prepared;
        std::string reason;
        if (!PrepareDisc(album, i, mp3, settings, read, prepared, reason)) {
            lines.push_back(reason);
            continue;
        }
        const std::vector<std::string> plan = PlanLines(
            MakePlan(prepared.folder.files, prepared.pairing.fileRows, prepared.folder.tracks,
                     prepared.pairing.trackRows, prepared.options, prepared.directoryName),
            prepared.folder.folder);
        lines.insert(lines.end(), plan.begin(), plan.end());
    }
    if (album.MultiDisc() && settings.createPlaylist) {
        lines.push_back("Playlist of every disc: " +
                        PlaylistFileName(album.discs.front().tracks.front()));
    }
    return lines;
}

bool UndoAlbum(const LibraryAlbum& album, std::string& reason) {
    for (std::size_t i = album.discs.size(); i-- > 0;) {
        const FoundRun run = FindRun(album.discs[i].folder);
        ProblemLog log;
        if (run.CanUndo() && run.albumFolder.rfind(album.discs[i].folder, 0) == 0 &&
            UndoRun(run.albumFolder, log) != 0) {
            reason = log.First().empty() ? "the filing could not be undone" : log.First();
            return false;
        }
    }
    if (album.MultiDisc() && !album.albumDirectory.empty()) {
        if (!album.discs.front().tracks.empty()) {
            ::unlink(
                (album.albumDirectory + "/" + PlaylistFileName(album.discs.front().tracks.front()))
                    .c_str());
        }
        ::rmdir(album.albumDirectory.c_str());  // only when nothing else is left in it
    }
    return true;
}

}  // namespace corvane
