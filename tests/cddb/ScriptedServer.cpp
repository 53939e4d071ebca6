#include "cddb/ScriptedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace corvane::test {

namespace {

void Pause(int ms, const std::atomic<bool>& stop) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Reads until the empty line that ends a request head, or a pause.
std::string ReadRequest(int client) {
    std::string request;
    char chunk[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        pollfd entry{client, POLLIN, 0};
        if (::poll(&entry, 1, 2000) <= 0) {
            break;
        }
        const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
        if (got <= 0) {
            break;
        }
        request.append(chunk, static_cast<size_t>(got));
    }
    return request;
}

}  // namespace

std::string HttpOk(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}

ScriptedServer::ScriptedServer(const std::string& answer)
    : ScriptedServer(std::vector<Script>{Script{{Step{answer, 0}}, 0}}) {}

ScriptedServer::ScriptedServer(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 16);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::vector<std::string> ScriptedServer::Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

void ScriptedServer::Serve() {
    while (!stop_) {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, 20) <= 0) {
            continue;
        }
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) {
            continue;
        }
        const int index = connections_++;
        const Script& script = scripts_[std::min<size_t>(index, scripts_.size() - 1)];
        {
            const std::string request = ReadRequest(client);
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        for (const Step& step : script.steps) {
            Pause(step.pauseBeforeMs, stop_);
            size_t sent = 0;
            while (sent < step.bytes.size()) {
                const ssize_t n = ::send(client, step.bytes.data() + sent, step.bytes.size() - sent,
                                         MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<size_t>(n);
            }
        }
        Pause(script.holdMs, stop_);
        ::close(client);
    }
}

}  // namespace corvane::test
