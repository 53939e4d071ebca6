#include "cddb/ServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace corvane::test {

ServerProcess::ServerProcess(const std::string& root, const std::vector<std::string>& options) {
    int out[2];
    if (::pipe(out) != 0) {
        return;
    }
    const std::string program = BinDir() + "/corvane-cddbd";
    std::vector<std::string> args{program, "--port", "0"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(root);
    // Built before the fork: the child of a threaded process must not allocate.
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // The first line names the port: "... listening on 127.0.0.1:PORT".
    std::string line;
    char c;
    pollfd entry{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&entry, 1, 5000) > 0 &&
           ::read(out[0], &c, 1) == 1) {
        line += c;
    }
    ::close(out[0]);
    const size_t colon = line.rfind(':');
    if (colon != std::string::npos) {
        port_ = std::atoi(line.c_str() + colon + 1);
    }
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

void WriteRecord(const std::string& root, const std::string& category, const std::string& discId,
                 const std::string& text) {
    std::filesystem::create_directories(root + "/" + category);
    std::ofstream(root + "/" + category + "/" + discId, std::ios::binary) << text;
}

std::string MakeRecord(const std::string& discId, const std::vector<int>& offsets, int discLength,
                       const std::string& dtitle, const std::vector<std::string>& titles) {
    std::string text = "# xmcd\n#\n# Track frame offsets:\n";
    for (int offset : offsets) {
        text += "#\t" + std::to_string(offset) + "\n";
    }
    text += "#\n# Disc length: " + std::to_string(discLength) + " seconds\n#\n";
    text += "# Revision: 1\n# Submitted via: testkit 1.0\n#\n";
    text += "DISCID=" + discId + "\nDTITLE=" + dtitle + "\nDYEAR=2001\nDGENRE=Test\n";
    for (size_t i = 0; i < titles.size(); ++i) {
        text += "TTITLE" + std::to_string(i) + "=" + titles[i] + "\n";
    }
    text += "EXTD=\n";
    for (size_t i = 0; i < titles.size(); ++i) {
        text += "EXTT" + std::to_string(i) + "=\n";
    }
    return text + "PLAYORDER=\n";
}

}  // namespace corvane::test
