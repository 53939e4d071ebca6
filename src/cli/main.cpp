#include <cstdio>
#include <cstring>
#include <string>

#include "ProgramVersion.h"
#include "cli/ApplyCommand.h"
#include "cli/CddbCommands.h"
#include "cli/Commands.h"
#include "cli/FingerprintCommand.h"
#include "cli/LibraryCommand.h"
#include "cli/RecoveryCommands.h"
#include "cli/ScanCommand.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const corvane::cli::Arguments&);
    bool ownHelp;  // the command prints a longer help of its own for --help
};

// Each command lives in its own file and is listed here.
const Command kCommands[] = {
    {"scan", corvane::cli::kScanUsage, corvane::cli::RunScan, false},
    {"fingerprint", corvane::cli::kFingerprintUsage, corvane::cli::RunFingerprint, false},
    {"apply", corvane::cli::kApplyUsage, corvane::cli::RunApply, true},
    {"query", corvane::cli::kQueryUsage, corvane::cli::RunQuery, false},
    {"read", corvane::cli::kReadUsage, corvane::cli::RunRead, false},
    {"search", corvane::cli::kSearchUsage, corvane::cli::RunSearch, false},
    {"sites", corvane::cli::kSitesUsage, corvane::cli::RunSites, false},
    {"resume", corvane::cli::kResumeUsage, corvane::cli::RunResume, false},
    {"undo", corvane::cli::kUndoUsage, corvane::cli::RunUndo, false},
    {"library", corvane::cli::kLibraryUsage, corvane::cli::RunLibrary, true},
};

// The usage goes to standard output when asked for, to standard error after
// a mistake (exit code 2).
void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage:\n");
    for (const Command& command : kCommands) {
        std::fprintf(out, "  corvane-cli %s\n", command.usage);
    }
    std::fprintf(out,
                 "  corvane-cli --help | --version\n"
                 "\"corvane-cli COMMAND --help\" shows one command's usage; see also "
                 "corvane-cli(1).\n");
}

bool IsHelp(const std::string& argument) {
    return argument == "--help" || argument == "-h";
}

// --help or -h anywhere before a "--" that ends the options.
bool AsksForHelp(const corvane::cli::Arguments& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            return false;
        }
        if (IsHelp(argument)) {
            return true;
        }
    }
    return false;
}

int RunCommand(const Command& command, const corvane::cli::Arguments& arguments) {
    if (AsksForHelp(arguments) && !command.ownHelp) {
        std::printf("usage: corvane-cli %s\n", command.usage);
        return 0;
    }
    return command.run(arguments);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string name = argc > 1 ? argv[1] : "";
    if (IsHelp(name)) {
        PrintUsage(stdout);
        return 0;
    }
    if (name == "--version") {
        std::printf("corvane-cli %s\n", corvane::kProgramVersion);
        return 0;
    }
    const corvane::cli::Arguments arguments(argv + (argc > 1 ? 2 : 1), argv + argc);
    for (const Command& command : kCommands) {
        if (name == command.name) {
            return RunCommand(command, arguments);
        }
    }
    if (!name.empty()) {
        std::fprintf(stderr, "corvane-cli: unknown %s %s\n",
                     name.rfind('-', 0) == 0 ? "option" : "command", name.c_str());
    }
    PrintUsage(stderr);
    return 2;
}
