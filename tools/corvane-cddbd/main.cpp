// corvane-cddbd: a local CDDB server over HTTP for tests and the demo.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "CddbServer.h"
#include "ProgramVersion.h"

namespace {

// To standard output when asked for, to standard error after a mistake.
void PrintUsage(std::FILE* out) {
    std::fprintf(
        out,
        "usage: corvane-cddbd [--port PORT] [--motd FILE] [--sites FILE] [--log FILE] FOLDER "
        "[PORT]\n"
        "       corvane-cddbd --help | --version\n"
        "  FOLDER holds the records as CATEGORY/DISCID; PORT 0 (the default)\n"
        "  picks a free port. It listens on 127.0.0.1 only. MusicBrainz answers,\n"
        "  for /ws/2/discid/, lie in FOLDER/musicbrainz as DISCID.json or\n"
        "  toc/1+N+LEADOUT+OFFSETS.json.\n");
}

int Usage() {
    PrintUsage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    corvane::CddbServer::Options options;
    long port = 0;
    bool portGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("corvane-cddbd %s\n", corvane::kProgramVersion);
            return 0;
        }
        if (argument == "--port" && hasValue) {
            char* end = nullptr;
            port = std::strtol(argv[++i], &end, 10);
            portGiven = true;
            if (*end != '\0' || port < 0) {
                return Usage();
            }
        } else if (argument == "--motd" && hasValue) {
            options.motdFile = argv[++i];
        } else if (argument == "--sites" && hasValue) {
            options.sitesFile = argv[++i];
        } else if (argument == "--log" && hasValue) {
            options.logFile = argv[++i];
        } else if (!argument.empty() && argument[0] != '-' && options.root.empty()) {
            options.root = argument;
        } else if (!options.root.empty() && !portGiven && !argument.empty() &&
                   argument.find_first_not_of("0123456789") == std::string::npos &&
                   argument.size() <= 5) {
            port = std::strtol(argument.c_str(), nullptr, 10);  // FOLDER PORT
        } else {
            return Usage();
        }
    }
    if (options.root.empty() || port > 65535) {
        return Usage();
    }
    std::error_code error;
    if (!std::filesystem::is_directory(options.root, error)) {
        std::fprintf(stderr, "corvane-cddbd: <%s> is not a folder\n", options.root.c_str());
        return 1;
    }
    corvane::CddbServer server(options);
    if (!server.Listen(static_cast<int>(port))) {
        std::fprintf(stderr, "corvane-cddbd: cannot listen on 127.0.0.1:%ld: %s\n", port,
                     std::strerror(errno));
        return 1;
    }
    std::printf("corvane-cddbd listening on 127.0.0.1:%d\n", server.Port());
    std::fflush(stdout);
    server.Run();
    return 0;
}
