#include "cli/ApplyCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "album/AlbumFolder.h"
#include "cddb/CddbAgent.h"
#include "cli/CommandLineView.h"
#include "components/ComponentLoader.h"
#include "lookup/LookupWorkflow.h"
#include "naming/CaseConversion.h"
#include "naming/NameFormat.h"
#include "platform/FileSystem.h"
#include "platform/MemoryComboBox.h"
#include "processing/ProcessingPipeline.h"
#include "processing/RunRecovery.h"
#include "settings/SettingsIni.h"
#include "settings/SettingsValues.h"

namespace corvane::cli {

namespace {

struct ApplyOptions {
    std::string folder;
    std::optional<std::string> server;
    std::optional<std::string> format;
    std::string caseMode = kCaseDoNothing;
    bool createDirectory = true;
    bool createPlaylist = true;
    int choose = 0;  // 1-based; 0 = not given
    bool keep = false;
    bool dryRun = false;
};

constexpr const char* kHelp =
    "Scans FOLDER, looks the album up on the CDDB server by its disc id, checks\n"
    "the track count, then creates the album directory, moves, tags and renames\n"
    "the files and writes the playlist.\n"
    "\n"
    "  --server HOST[:PORT]  the CDDB server (default: the settings' server)\n"
    "  --format TEMPLATE     the name format, e.g. \"%0 - %2\" or \"Track# - Title\"\n"
    "                        (default: the settings' name format)\n"
    "  --case MODE           Do nothing, Capitalized, Upper Case, Lower Case,\n"
    "                        Space to Underscore or Underscore to Space\n"
    "  --no-directory        rename the files where they are\n"
    "  --no-playlist         write no playlist\n"
    "  --choose N            the N-th of several matching albums, as listed\n"
    "  --keep                keep an album whose track count differs\n"
    "  --dry-run             show the new names, the directory and the playlist\n"
    "\n"
    "The settings are read from \"Corvane Mp3.ini\" in the current directory.\n"
    "Exit codes: 0 every file handled, 1 a failure, 2 a usage error, 3 several\n"
    "albums match (see --choose), 4 the track count differs (see --keep).\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "corvane-cli apply: %s\nusage: corvane-cli %s\n", message.c_str(),
                 kApplyUsage);
    return 2;
}

// Lower case without blanks, "-" and "_": "upper-case" and "Upper Case" meet.
std::string Simplified(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '-' && c != '_') {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

// The case mode's own text for what the user typed: the full name in any
// spelling, its first word ("upper", "space"), or "none".
std::optional<std::string> CaseModeNamed(const std::string& typed) {
    const std::string wanted = Simplified(typed);
    if (wanted == "none") {
        return std::string(kCaseDoNothing);
    }
    for (const char* mode : kCaseModes) {
        const std::string name = mode;
        const std::string firstWord = name.substr(0, name.find(' '));
        if (wanted == Simplified(name) || wanted == Simplified(firstWord)) {
            return name;
        }
    }
    return std::nullopt;
}

bool ParseCount(const std::string& text, int& value) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::stoi(text);
    return value > 0;
}

// Returns 0, or the usage error's exit code after printing it.
int ParseOptions(const Arguments& arguments, ApplyOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--server" || argument == "--format" ||
                                argument == "--case" || argument == "--choose";
        if (takesValue && i + 1 >= arguments.size()) {
            return UsageError(argument + " needs a value");
        }
        if (argument == "--server") {
            options.server = arguments[++i];
            if (!IsCddbServerText(*options.server)) {
                return UsageError("\"" + *options.server + "\" is not HOST or HOST:PORT");
            }
        } else if (argument == "--format") {
            options.format = arguments[++i];
            if (options.format->empty()) {
                return UsageError("the name format is empty");
            }
        } else if (argument == "--case") {
            const std::optional<std::string> mode = CaseModeNamed(arguments[++i]);
            if (!mode) {
                std::string modes;
                for (const char* name : kCaseModes) {
                    modes += std::string(modes.empty() ? "" : ", ") + "\"" + name + "\"";
                }
                return UsageError("unknown case mode \"" + arguments[i] + "\"; one of " + modes);
            }
            options.caseMode = *mode;
        } else if (argument == "--choose") {
            if (!ParseCount(arguments[++i], options.choose)) {
                return UsageError("--choose needs a match number from 1 up");
            }
        } else if (argument == "--no-directory") {
            options.createDirectory = false;
        } else if (argument == "--no-playlist") {
            options.createPlaylist = false;
        } else if (argument == "--keep") {
            options.keep = true;
        } else if (argument == "--dry-run") {
            options.dryRun = true;
        } else if (argument.rfind("--", 0) == 0 && argument != "--") {
            return UsageError("unknown option " + argument);
        } else if (argument == "--" && i + 1 == arguments.size()) {
            return UsageError("which folder?");
        } else if (options.folder.empty()) {
            // After "--" the folder may start with "--" too.
            options.folder = argument == "--" ? arguments[++i] : argument;
        } else {
            return UsageError("only one folder, please");
        }
    }
    return options.folder.empty() ? UsageError("which folder?") : 0;
}

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string(".");
}

// The template to name the files with. A format written with the keyword
// words ("Track# - Title") is taken as its template; a text too short to
// hold a keyword gives the default, as in the window.
std::string ChosenTemplate(const ApplyOptions& options, const SettingsValues& settings) {
    std::string format = options.format.value_or(settings.nameFormat);
    if (format.find('%') == std::string::npos) {
        format = FromDisplayName(format);
    }
    return format.size() < 2 ? std::string(kDefaultNameFormat) : format;
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

// What the processing would do, without doing it: the pipeline's own plan,
// with what it will refuse since it never replaces a file.
void PrintPlan(Plan plan, const AlbumFolder& album) {
    ForeseeRefusals(plan);
    if (!plan.dirName.empty()) {
        std::printf("Directory: %s\n", plan.dirName.c_str());
    } else {
        std::printf("Directory: none, the files stay in %s\n", album.folder.c_str());
    }
    for (const FileJob& job : plan.jobs) {
        if (!job.skipReason.empty()) {
            std::printf("%s -> (left as it is: %s)\n", job.currentName.c_str(),
                        job.skipReason.c_str());
        } else if (!job.refusal.empty()) {
            std::printf("%s -> %s  (%s)\n", job.currentName.c_str(), job.newName.c_str(),
                        job.refusal.c_str());
        } else {
            std::printf("%s -> %s\n", job.currentName.c_str(), job.newName.c_str());
        }
    }
    std::printf("Playlist: %s\n", plan.playlistName.empty() ? "none" : plan.playlistName.c_str());
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

}  // namespace

int RunApply(const Arguments& arguments) {
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
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

    if (const int status = RefuseUnfinishedRun(options.folder); status != 0) {
        return status;
    }
    AlbumFolder album;
    const int count = ScanFolder(album, options.folder, *mp3Info);
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
    if (options.server) {
        settings.cddbServer = *options.server;
    }
    CommandLineView view(options.choose, options.keep);
    CddbAgent agent(&view);
    MemoryComboBox serverCombo;
    LookupWorkflow lookup(album, agent, serverCombo, view);
    lookup.Configure(settings);
    lookup.InitServerCombo();
    if (!lookup.QueryCommand()) {
        return view.ChoiceNeeded()        ? kExitChoiceNeeded
               : view.TrackCountRefused() ? kExitTrackCountDiffers
                                          : 1;
    }

    const std::string nameFormat = ChosenTemplate(options, settings);
    for (TrackInfo& track : album.tracks) {
        track.fileName = BuildFileName(track, nameFormat, options.caseMode);
    }
    StdoutLog log;
    ProcessingPipeline pipeline(log);
    pipeline.SetLists(album.files, album.tracks, RecordOrderRows(album.files.size()),
                      RecordOrderRows(album.tracks.size()), *mp3Info);
    ProcessingOptions steps;
    steps.createDirectory = options.createDirectory;
    steps.createPlaylist = options.createPlaylist;
    // The command line has no dependencies step: covers and texts stay put.
    steps.moveDependencies = false;
    pipeline.SetOptions(steps);
    if (options.dryRun) {
        PrintPlan(pipeline.PlanOfRun(), album);
        return 0;
    }
    pipeline.RunAll();
    log.EndLine();
    return pipeline.FailureCount() == 0 ? 0 : 1;
}

}  // namespace corvane::cli
