#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

#include "support/TestSupport.h"  // BinDir

namespace corvane::test {

// Runs build/bin/corvane-cddbd on a free port for the life of the object.
class ServerProcess {
public:
    explicit ServerProcess(const std::string& root, const std::vector<std::string>& options = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // 0 when the server did not start.
    int Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Writes an xmcd record file root/category/discId.
void WriteRecord(const std::string& root, const std::string& category, const std::string& discId,
                 const std::string& text);

// A complete xmcd record with the given offsets, title and track titles.
std::string MakeRecord(const std::string& discId, const std::vector<int>& offsets, int discLength,
                       const std::string& dtitle, const std::vector<std::string>& titles);

}  // namespace corvane::test
