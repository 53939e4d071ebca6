#include <cstdio>
#include <string>

#include "cli/ApplyCommand.h"
#include "cli/CddbCommands.h"
#include "cli/Commands.h"
#include "cli/RecoveryCommands.h"
#include "cli/ScanCommand.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const corvane::cli::Arguments&);
};

// Each command lives in its own file and is listed here.
const Command kCommands[] = {
    {"scan", corvane::cli::kScanUsage, corvane::cli::RunScan},
    {"apply", corvane::cli::kApplyUsage, corvane::cli::RunApply},
    {"query", corvane::cli::kQueryUsage, corvane::cli::RunQuery},
    {"read", corvane::cli::kReadUsage, corvane::cli::RunRead},
    {"sites", corvane::cli::kSitesUsage, corvane::cli::RunSites},
    {"resume", corvane::cli::kResumeUsage, corvane::cli::RunResume},
    {"undo", corvane::cli::kUndoUsage, corvane::cli::RunUndo},
    {nullptr, nullptr, nullptr},
};

int PrintUsage() {
    std::fprintf(stderr, "usage:\n");
    for (const Command& command : kCommands) {
        if (command.name != nullptr) {
            std::fprintf(stderr, "  corvane-cli %s\n", command.usage);
        }
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return PrintUsage();
    }
    const std::string name = argv[1];
    const corvane::cli::Arguments arguments(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (command.name != nullptr && name == command.name) {
            return command.run(arguments);
        }
    }
    return PrintUsage();
}
