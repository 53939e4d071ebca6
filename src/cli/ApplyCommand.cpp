#include "cli/ApplyCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "album/AlbumFolder.h"
#include "association/AlbumPairing.h"
#include "association/PairingFile.h"
#include "cddb/CddbAgent.h"
#include "cli/CommandLineView.h"
#include "cli/DependencyPlan.h"
#include "cli/FileProgress.h"
#include "cli/Options.h"
#include "components/ComponentLoader.h"
#include "components/SettingsValues.h"
#include "lookup/LookupWorkflow.h"
#include "musicbrainz/MusicBrainzClient.h"
#include "naming/CaseConversion.h"
#include "naming/NameFormat.h"
#include "platform/FileSystem.h"
#include "platform/MemoryComboBox.h"
#include "processing/PlanText.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RunLock.h"
#include "processing/RunRecovery.h"
#include "settings/SettingsIni.h"

namespace corvane::cli {

namespace {

constexpr const char* kHelp =
    "Scans FOLDER, looks the album up on the CDDB server by its disc id (then on\n"
    "MusicBrainz by its table of contents), checks the track count, then creates\n"
    "the album directory, moves, tags and renames the files, writes the playlist\n"
    "and moves the album's covers and texts along.\n"
    "\n"
    "  --server HOST[:PORT]  the CDDB server (default: the settings' server)\n"
    "  --format TEMPLATE     the name format, e.g. \"%0 - %2\" or \"Track# - Title\"\n"
    "                        (default: the settings' name format)\n"
    "  --case MODE           Do nothing, Capitalized, Upper Case, Lower Case,\n"
    "                        Space to Underscore or Underscore to Space\n"
    "  --no-directory        rename the files where they are\n"
    "  --no-playlist         write no playlist\n"
    "  --choose N            the N-th of several matching albums, as listed\n"
    "  --pairing FILE        pair files and tracks by FILE's \"file name<TAB>track\n"
    "                        number\" lines instead of in folder order\n"
    "  --keep                keep an album whose track count differs, or whose\n"
    "                        track lengths do not fit the files' play times\n"
    "  --no-dependencies     leave the album folder's other files where they are\n"
    "  --dependencies all    move every other file, not only those whose name\n"
    "                        matches the album (default: checked, the matching ones)\n"
    "  --musicbrainz-server URL  the MusicBrainz server (default: the settings')\n"
    "  --no-musicbrainz      do not ask MusicBrainz when CDDB finds nothing\n"
    "  --cover-art-server URL  the Cover Art Archive (default: the settings')\n"
    "  --cover-size SIZE     250, 500, 1200 or full: the archive's cover to fetch\n"
    "  --no-cover-art        neither fetch, embed nor save a cover\n"
    "  --id3v24              write ID3v2.4 tags (default: the settings', ID3v2.3)\n"
    "  --acoustid-key KEY    identify the files by their sound on AcoustID when the\n"
    "                        disc id and MusicBrainz find nothing (default: the\n"
    "                        settings' key); the files are then paired with the\n"
    "                        tracks their sound names\n"
    "  --acoustid-server URL the AcoustID server (default: the settings')\n"
    "  --no-acoustid         do not identify the files by sound\n"
    "  --search [WORDS...]   look the album up by keywords instead of the disc id:\n"
    "                        the WORDS after the folder, or those the files propose;\n"
    "                        the files are then paired with the titles by number,\n"
    "                        title and play time\n"
    "  --dry-run             show the new names, the directory and the playlist\n"
    "\n"
    "The settings are read from \"Corvane Mp3.ini\" in the current directory.\n"
    "Exit codes: 0 every file handled, 1 a failure, 2 a usage error, 3 several\n"
    "albums match (see --choose), 4 the track count differs or a file's play\n"
    "time does not fit its track's length (see --keep).\n";

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string(".");
}

std::string ChosenTemplate(const ApplyOptions& options, const SettingsValues& settings) {
    return NameTemplate(options.format.value_or(settings.nameFormat));
}

// Prints lines the way the processing log shows them: "Done." completes the
// line before it. A line stays open until the next one starts, so a slow
// step shows what it is doing meanwhile.
class StdoutLog : public ProcessingLog {
public:
    ~StdoutLog() override { EndLine(); }
    void Log(const std::string& text) override {
        if (text == kDoneText && open_) {
            std::printf(" %s", text.c_str());
        } else {
            EndLine();
            std::fputs(text.c_str(), stdout);
            open_ = true;
        }
        std::fflush(stdout);
    }
    void EndLine() {
        if (open_) {
            std::fputc('\n', stdout);
            std::fflush(stdout);
            open_ = false;
        }
    }

private:
    bool open_ = false;
};

void PrintPlan(const Plan& plan, const AlbumFolder& album) {
    for (const std::string& line : PlanLines(plan, album.folder)) {
        std::printf("%s\n", line.c_str());
    }
}

// A run that was killed in the folder is finished or undone first: a new
// one would find the files half moved.
int RefuseUnfinishedRun(const std::string& folder) {
    std::error_code ignored;
    const FoundRun run =
        FindRun(std::filesystem::absolute(folder, ignored).lexically_normal().string());
    if (!run.Unfinished()) {
        return 0;
    }
    std::fprintf(stderr,
                 "corvane-cli apply: the last run in %s was not finished: see \"corvane-cli "
                 "resume %s\" and \"corvane-cli undo %s\"\n",
                 folder.c_str(), folder.c_str(), folder.c_str());
    return 1;
}

using Pairing = AlbumPairing;

// The automatic pairs are shown, since no one chose them.
Pairing ShownAutomaticPairing(const AlbumFolder& album) {
    Pairing pairing = AutomaticPairing(album);
    for (std::size_t k = 0; k < pairing.fileRows.size(); ++k) {
        std::printf("%s -> %s\n",
                    album.files[static_cast<std::size_t>(pairing.fileRows[k])].fileName.c_str(),
                    album.tracks[static_cast<std::size_t>(pairing.trackRows[k])].title.c_str());
    }
    return pairing;
}

// Lists the pairs whose lengths disagree; true when there are none.
bool LengthsFit(const AlbumFolder& album, const Pairing& pairing) {
    const TrackList& files = album.files;
    const TrackList& tracks = album.tracks;
    const std::vector<FileJob> mismatches = PairingMismatches(album, pairing);
    if (mismatches.empty()) {
        return true;
    }
    std::printf("%s:\n", LengthMismatchText(mismatches.size()).c_str());
    for (const FileJob& job : mismatches) {
        const TrackInfo& file = files[static_cast<std::size_t>(job.fileRecord)];
        const TrackInfo& track = tracks[static_cast<std::size_t>(job.trackRecord)];
        std::printf("  %s (%s) and track %s \"%s\" (%s)\n", file.fileName.c_str(),
                    FormatPlayTime(file).c_str(), track.track.c_str(), track.title.c_str(),
                    FormatPlayTime(track).c_str());
    }
    std::printf("Run again with --keep to rename the files all the same.\n");
    return false;
}

}  // namespace

int RunApply(const Arguments& arguments) {
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end() ||
        std::find(arguments.begin(), arguments.end(), "-h") != arguments.end()) {
        std::printf("usage:\n  corvane-cli %s\n\n%s", kApplyUsage, kHelp);
        return 0;
    }
    // A reader of the output that goes away (apply ... | head) must not end
    // the run halfway through the album.
    std::signal(SIGPIPE, SIG_IGN);
    ApplyOptions options;
    if (const int error = ParseOptions(arguments, options); error != 0) {
        return error;
    }
    // The settings lie in the directory the command starts in; the scan
    // moves into the album folder.
    SettingsValues settings;
    LoadSettingsFile(CurrentDirectory() + "/" + kIniFileName, settings);

    ComponentLoader loader;
    Mp3InfoPtr mp3Info = loader.LoadMp3Info();
    if (!mp3Info) {
        std::fprintf(stderr, "%s\n", loader.Error().c_str());
        return 1;
    }

    // Held from before the first look at the folder to the end of the run.
    RunLock lock;
    std::error_code ignored;
    if (!options.dryRun &&
        lock.LockRunOf(std::filesystem::absolute(options.folder, ignored).lexically_normal()) ==
            EWOULDBLOCK) {
        std::fprintf(stderr, "%s\n", kFolderLockedText);
        return 1;
    }
    if (const int status = RefuseUnfinishedRun(options.folder); status != 0) {
        return status;
    }
    AlbumFolder album;
    const int count = ScanFolder(album, options.folder, *mp3Info, FileProgress().Callback());
    if (count < 0) {
        const int error = errno;  // of the change into the folder
        std::fprintf(stderr, "corvane-cli apply: cannot open the folder %s: %s\n",
                     options.folder.c_str(), ErrorText(error).c_str());
        return 1;
    }
    if (count == 0) {
        std::fprintf(stderr, "corvane-cli apply: no MP3 files in %s\n", album.folder.c_str());
        return 1;
    }

    std::printf("%d MP3 file%s in %s\n", count, count == 1 ? "" : "s", album.folder.c_str());
    for (const std::string& line : DamagedFileLines(album.files)) {
        std::printf("%s\n", line.c_str());
    }
    if (options.server) {
        settings.cddbServer = *options.server;
    }
    if (options.musicbrainzServer) {
        settings.musicbrainzServer = *options.musicbrainzServer;
    }
    if (options.noMusicBrainz) {
        settings.askMusicBrainz = false;
    }
    settings.coverArtServer = options.coverArtServer.value_or(settings.coverArtServer);
    settings.coverSize = options.coverSize.value_or(settings.coverSize);
    settings.id3Version = options.id3v24 ? 4 : settings.id3Version;
    settings.acoustidKey = options.acoustid.key.value_or(settings.acoustidKey);
    settings.acoustidServer = options.acoustid.server.value_or(settings.acoustidServer);
    if (options.acoustid.off) {
        settings.acoustidKey.clear();
    }
    CommandLineView view(options.choose, options.keep);
    CddbAgent agent(&view);
    MemoryComboBox serverCombo;
    LookupWorkflow lookup(album, agent, serverCombo, view);
    lookup.Configure(settings);
    lookup.InitServerCombo();
    const bool found =
        options.search ? lookup.SearchCommand(options.searchWords) : lookup.QueryCommand();
    if (!found) {
        return view.ChoiceNeeded()        ? kExitChoiceNeeded
               : view.TrackCountRefused() ? kExitTrackCountDiffers
                                          : 1;
    }

    // The user's own pairing comes before the automatic one.
    Pairing pairing;
    std::string problem;
    if (!options.pairing) {
        pairing = options.search || lookup.FoundBySound() ? ShownAutomaticPairing(album)
                                                          : RecordOrderPairing(album);
    } else if (!ReadPairingFile(*options.pairing, album.files, album.tracks, pairing.fileRows,
                                pairing.trackRows, problem)) {
        std::fprintf(stderr, "corvane-cli apply: %s: %s\n", options.pairing->c_str(),
                     problem.c_str());
        return 1;
    }
    // Each name describes the file it is given to (its length and bitrate).
    NamePairedTracks(album.tracks, album.files, pairing.fileRows, pairing.trackRows,
                     ChosenTemplate(options, settings), options.caseMode);
    if (!options.keep && !LengthsFit(album, pairing)) {
        return kExitLengthsDiffer;
    }
    // Covers and texts move only into an album directory.
    const bool moveDependencies =
        options.dependencies.move && settings.moveDependencies && options.createDirectory;

    StdoutLog log;
    ProcessingPipeline pipeline(log);
    pipeline.SetLists(album.files, album.tracks, pairing.fileRows, pairing.trackRows, *mp3Info);
    ProcessingOptions steps;
    steps.createDirectory = options.createDirectory;
    steps.createPlaylist = options.createPlaylist;
    steps.moveDependencies = moveDependencies;
    steps.tags = TagOptionsFrom(settings);
    if (options.noCoverArt) {
        steps.tags.fetch = steps.tags.embed = steps.tags.save = false;
    }
    pipeline.SetOptions(steps);
    // No one to ask: the matching files move, or with "all" every one.
    pipeline.SetDependencyOptions(DependencySearchWords(album), false);
    DependencyMover dependencies;
    dependencies.SetMoveAll(options.dependencies.all);
    dependencies.SetMoveListener([&log](const std::string& name, const std::string& target) {
        log.EndLine();
        std::printf("%s -> %s\n", name.c_str(), target.c_str());
    });
    pipeline.SetDependencyStep(&dependencies);
    if (options.dryRun) {
        PrintPlan(pipeline.PlanOfRun(), album);
        if (moveDependencies) {
            PrintDependencyPlan(album, AlbumDirectoryName(album.tracks.front()),
                                options.dependencies);
        }
        return 0;
    }
    pipeline.SetLock(std::move(lock));
    pipeline.RunAll();
    log.EndLine();
    return pipeline.FailureCount() == 0 ? 0 : 1;
}

}  // namespace corvane::cli
