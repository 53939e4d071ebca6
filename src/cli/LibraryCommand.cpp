#include "cli/LibraryCommand.h"

#include <unistd.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "cli/Options.h"
#include "components/ComponentLoader.h"
#include "library/LibraryRun.h"
#include "musicbrainz/MusicBrainzClient.h"
#include "naming/NameFormat.h"
#include "settings/SettingsIni.h"

namespace corvane::cli {

namespace {

constexpr const char* kHelp =
    "Finds every album under ROOT (a folder of MP3 files; disc folders \"CD1\",\n"
    "\"Disc 2\" and siblings \"Album (Disc 1)\" join into one album), looks each up\n"
    "as \"apply\" does but without questions, and files those found: one album\n"
    "directory each, a multi-disc album with a \"Disc N\" folder per disc and one\n"
    "playlist. Albums with several matches, unknown or damaged ones are left as\n"
    "they are and listed. The run's state is kept in ROOT/.corvane-library: the\n"
    "same command after a kill goes on where it stopped.\n"
    "\n"
    "  --server HOST[:PORT]  the CDDB server (default: the settings' server)\n"
    "  --musicbrainz-server URL  the MusicBrainz server (default: the settings')\n"
    "  --no-musicbrainz      do not ask MusicBrainz\n"
    "  --dry-run             file nothing: show what each found album would become\n"
    "  --again               look up the albums of earlier runs again\n"
    "  --jobs N              folders read at once (default: one per core)\n"
    "  --report FILE.json    the albums, their states and reasons, as JSON\n"
    "  --undo                put back the albums the runs filed, newest first\n"
    "\n"
    "The settings are read from \"Corvane Mp3.ini\" in the current directory.\n"
    "Exit codes: 0 every album filed or done, 1 a failure, 2 a usage error,\n"
    "3 some albums are left untouched (to choose, not found, damaged).\n";

struct LibraryCommandOptions {
    std::string root;
    std::optional<std::string> server;
    std::optional<std::string> musicbrainzServer;
    std::optional<std::string> report;
    bool noMusicBrainz = false;
    bool dryRun = false;
    bool again = false;
    bool undo = false;
    int jobs = 0;
};

int UsageError(const std::string& message) {
    std::fprintf(stderr, "corvane-cli library: %s\nusage: corvane-cli %s\n", message.c_str(),
                 kLibraryUsage);
    return 2;
}

int Parse(const Arguments& arguments, LibraryCommandOptions& options) {
    std::vector<std::string> roots;
    const std::string problem =
        ParseArguments(arguments,
                       {
                           ServerAddress("--server", options.server),
                           ServiceUrl("--musicbrainz-server", options.musicbrainzServer),
                           Flag("--no-musicbrainz", options.noMusicBrainz),
                           Flag("--dry-run", options.dryRun),
                           Flag("--again", options.again),
                           Flag("--undo", options.undo),
                           Valued("--jobs",
                                  [&](const std::string& value) {
                                      const bool number = !value.empty() && value.size() <= 3 &&
                                                          value.find_first_not_of("0123456789") ==
                                                              std::string::npos &&
                                                          std::stoi(value) > 0;
                                      options.jobs = number ? std::stoi(value) : 0;
                                      return number ? "" : "--jobs needs a number from 1 up";
                                  }),
                           Text("--report", options.report),
                       },
                       roots);
    if (!problem.empty()) {
        return UsageError(problem);
    }
    if (roots.size() != 1) {
        return UsageError(roots.empty() ? "no ROOT folder given" : "one ROOT folder only");
    }
    options.root = roots.front();
    return 0;
}

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string(".");
}

std::string Relative(const std::string& path, const std::string& root) {
    if (path == root) {
        return ".";
    }
    return path.rfind(root + "/", 0) == 0 ? path.substr(root.size() + 1) : path;
}

// The albums' lines on stdout as they are decided; the progress bar on
// standard error when it is a terminal, wiped before each line.
class TerminalListener : public LibraryListener {
public:
    explicit TerminalListener(std::string root)
        : root_(std::move(root)), terminal_(::isatty(STDERR_FILENO) == 1) {}
    ~TerminalListener() override { Wipe(); }

    void AlbumChanged(const LibraryAlbum& album, std::size_t) override {
        if (album.state == AlbumState::kFiling || album.state == AlbumState::kListed) {
            return;
        }
        Wipe();
        std::string line =
            std::string(StateName(album.state)) + ": " + Relative(album.folder, root_);
        if (album.MultiDisc()) {
            line += " (" + std::to_string(album.discs.size()) + " discs)";
        }
        if (!album.source.empty() && album.state == AlbumState::kFound) {
            line += " [" + album.source + "]";
        }
        if (album.state == AlbumState::kFiled) {
            line += " -> " + Relative(album.albumDirectory, root_);
        } else if (!album.reason.empty()) {
            line += ": " + album.reason;
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        Draw();
    }
    void Progress(std::size_t decided, std::size_t listed, bool listingDone) override {
        decided_ = decided;
        listed_ = listed;
        listingDone_ = listingDone;
        Draw();
    }
    void Plan(const LibraryAlbum&, const std::vector<std::string>& lines) override {
        Wipe();
        for (const std::string& line : lines) {
            std::printf("  %s\n", line.c_str());
        }
        std::fflush(stdout);
    }

private:
    void Wipe() {
        if (shown_) {
            std::fputs("\r\033[K", stderr);
            shown_ = false;
        }
    }
    // "[#####.....] 12/40 albums  3.1/s  0:09 left"; the total grows while listing.
    void Draw() {
        if (!terminal_ || listed_ == 0) {
            return;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(decided_) / seconds : 0.0;
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(kWidth * decided_ / listed_);
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(kWidth, '.');
        std::fprintf(stderr, "\r\033[K[%s] %zu/%zu%s albums  %.1f/s", bar.c_str(), decided_,
                     listed_, listingDone_ ? "" : "+", rate);
        if (rate > 0 && listingDone_) {
            const long left = static_cast<long>(static_cast<double>(listed_ - decided_) / rate);
            std::fprintf(stderr, "  %ld:%02ld left", left / 60, left % 60);
        }
        std::fflush(stderr);
        shown_ = true;
    }

    std::string root_;
    bool terminal_;
    bool shown_ = false;
    std::size_t decided_ = 0;
    std::size_t listed_ = 0;
    bool listingDone_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// "40 albums: 30 filed, 5 to choose, ..." and the exit code: 1 when an album
// failed, 3 when some are left untouched, else 0.
int Summary(const std::vector<LibraryAlbum>& albums, bool dryRun) {
    std::map<AlbumState, int> counts;
    for (const LibraryAlbum& album : albums) {
        ++counts[album.state];
    }
    std::string text = std::to_string(albums.size()) + (albums.size() == 1 ? " album" : " albums");
    const char* separator = ": ";
    for (const auto& [state, count] : counts) {
        text += separator + std::to_string(count) + " " + StateName(state);
        separator = ", ";
    }
    std::printf("%s\n", text.c_str());
    if (counts[AlbumState::kFailed] > 0) {
        return 1;
    }
    const int untouched = counts[AlbumState::kChoose] + counts[AlbumState::kNotFound] +
                          counts[AlbumState::kDamaged] + (dryRun ? 0 : counts[AlbumState::kFound]);
    return untouched > 0 ? 3 : 0;
}

// The albums left for the user, at the end where they are easy to find.
void PrintLeftTable(const std::vector<LibraryAlbum>& albums, const std::string& root) {
    bool heading = false;
    for (const LibraryAlbum& album : albums) {
        const AlbumState state = album.state;
        if (state != AlbumState::kChoose && state != AlbumState::kNotFound &&
            state != AlbumState::kDamaged && state != AlbumState::kFailed) {
            continue;
        }
        if (!heading) {
            std::printf("\n%-10s %-40s %s\n", "STATE", "FOLDER", "REASON");
            heading = true;
        }
        std::printf("%-10s %-40s %s\n", StateName(state), Relative(album.folder, root).c_str(),
                    album.reason.c_str());
    }
}

}  // namespace

int RunLibrary(const Arguments& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::printf("usage:\n  corvane-cli %s\n\n%s", kLibraryUsage, kHelp);
            return 0;
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    LibraryCommandOptions command;
    if (const int error = Parse(arguments, command); error != 0) {
        return error;
    }
    SettingsValues settings;
    LoadSettingsFile(CurrentDirectory() + "/" + kIniFileName, settings);
    if (command.server) {
        settings.cddbServer = *command.server;
    }
    if (command.musicbrainzServer) {
        settings.musicbrainzServer = *command.musicbrainzServer;
    }
    if (command.noMusicBrainz) {
        settings.askMusicBrainz = false;
    }
    ComponentLoader loader;
    if (!loader.LoadMp3Info()) {
        std::fprintf(stderr, "%s\n", loader.Error().c_str());
        return 1;
    }
    std::error_code ignored;
    LibraryOptions options;
    options.root = std::filesystem::absolute(command.root, ignored).lexically_normal().string();
    while (options.root.size() > 1 && options.root.back() == '/') {
        options.root.pop_back();
    }
    options.settings = settings;
    options.filing.nameTemplate = NameTemplate(settings.nameFormat);
    options.filing.caseMode = settings.caseMode;
    options.filing.createPlaylist = settings.createPlaylist;
    options.filing.moveDependencies = settings.moveDependencies;
    options.dryRun = command.dryRun;
    options.again = command.again;
    options.jobs = command.jobs > 0 ? static_cast<unsigned>(command.jobs)
                                    : std::max(1u, std::thread::hardware_concurrency());
    // The filing moves into each album folder: the report's path is made absolute first.
    options.reportPath =
        command.report ? std::filesystem::absolute(*command.report, ignored).string() : "";

    TerminalListener listener(options.root);
    LibraryRun run(
        options, [&loader] { return loader.LoadMp3Info(); }, listener);
    const bool ran = command.undo ? run.Undo() : run.Run();
    if (!ran) {
        std::fprintf(stderr, "corvane-cli library: %s\n", run.Error().c_str());
        return 1;
    }
    const std::vector<LibraryAlbum> albums = run.Albums();
    if (!command.undo) {
        PrintLeftTable(albums, options.root);
    }
    return Summary(albums, command.dryRun);
}

}  // namespace corvane::cli
