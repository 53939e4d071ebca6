#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::test {

// A TCP server on 127.0.0.1 that answers each connection with a script: packets with pauses
// between, then a close after holdMs. It keeps each request's head.
class ScriptedServer {
public:
    struct Step {
        std::string bytes;
        int pauseBeforeMs = 0;
    };
    struct Script {
        std::vector<Step> steps;
        int holdMs = 0;  // keep the connection open this long after the steps
    };

    // Serves scripts[i] to the i-th connection (the last one for any later).
    explicit ScriptedServer(std::vector<Script> scripts);
    // One answer sent in one packet.
    explicit ScriptedServer(const std::string& answer);
    ~ScriptedServer();

    int Port() const { return port_; }
    int Connections() const { return connections_; }
    std::vector<std::string> Requests();

private:
    void Serve();

    std::vector<Script> scripts_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// "HTTP/1.0 200 OK" with a plain-text header block, then body.
std::string HttpOk(const std::string& body);

}  // namespace corvane::test
