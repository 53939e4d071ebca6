#pragma once

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace corvane::bench {

// Starts corvane-cddbd from this program's folder over root, with options
// before it (e.g. "--log", FILE); waits for the line that names its port and
// returns the port, or 0. pid is the server's, to be killed at the end.
inline int StartCddbd(const std::string& root, const std::vector<std::string>& options,
                      pid_t& pid) {
    int out[2];
    if (pipe(out) != 0) {
        return 0;
    }
    const std::string program = ExecutableDir() + "/corvane-cddbd";
    std::vector<std::string> words = {program, "--port", "0"};
    words.insert(words.end(), options.begin(), options.end());
    words.push_back(root);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    pollfd entry{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&entry, 1, 5000) > 0 &&
           read(out[0], &c, 1) == 1) {
        line += c;
    }
    close(out[0]);
    const std::size_t colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
}

}  // namespace corvane::bench
