#include "platform/TcpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/SocketErrors.h"

namespace corvane {

TcpSocket::~TcpSocket() {
    Close();
}

bool TcpSocket::Fail(int error) {
    lastError_ = SocketErrorFromErrno(error);
    return false;
}

bool TcpSocket::Create() {
    Close();
    handle_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (handle_ < 0) {
        return Fail(errno);
    }
    return true;
}

bool ParseDottedAddress(const std::string& host, std::uint32_t& address) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
        return false;
    }
    address = parsed.s_addr;
    return true;
}

bool TcpSocket::Resolve(const std::string& host, std::uint32_t& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 ||
        found == nullptr) {
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return true;
}

bool TcpSocket::Connect(const std::string& host, int port, int timeoutMs) {
    if (handle_ < 0) {
        return Fail(EBADF);
    }
    std::uint32_t address = 0;
    if (!ParseDottedAddress(host, address) && !Resolve(host, address)) {
        lastError_ = kSocketInvalidArgument;
        return false;
    }
    if (port <= 0 || port > 65535) {
        lastError_ = kSocketInvalidArgument;
        return false;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    target.sin_addr.s_addr = address;

    // Connect without blocking so that a silent host cannot hold the caller
    // longer than timeoutMs, then return to blocking mode.
    const int flags = ::fcntl(handle_, F_GETFL);
    ::fcntl(handle_, F_SETFL, flags | O_NONBLOCK);
    int result = ::connect(handle_, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    int error = result == 0 ? 0 : errno;
    if (result != 0 && error == EINPROGRESS) {
        pollfd entry{handle_, POLLOUT, 0};
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const int ready = ::poll(&entry, 1, static_cast<int>(std::max<long>(0, left.count())));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready < 0) {
                error = errno;
            } else if (ready == 0) {
                error = ETIMEDOUT;
            } else {
                socklen_t size = sizeof error;
                ::getsockopt(handle_, SOL_SOCKET, SO_ERROR, &error, &size);
            }
            break;
        }
    }
    ::fcntl(handle_, F_SETFL, flags);
    if (error != 0) {
        return Fail(error);
    }
    return true;
}

bool TcpSocket::Send(const char* data, std::size_t length) {
    // MSG_NOSIGNAL: a peer that has gone away must not kill the process.
    const ssize_t sent = ::send(handle_, data, length, MSG_NOSIGNAL);
    if (sent < 0) {
        return Fail(errno);
    }
    return true;
}

long TcpSocket::Receive(char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t got = ::recv(handle_, buffer, capacity, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            Fail(errno);
        }
        return static_cast<long>(got);
    }
}

bool TcpSocket::WaitReadable(int timeoutMs, bool& readable) {
    readable = false;
    if (handle_ < 0) {
        return Fail(EBADF);
    }
    pollfd entry{handle_, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return Fail(errno);
        }
        // A hang-up or error also counts: the following read reports it.
        readable = ready > 0 && (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        return true;
    }
}

void TcpSocket::Close() {
    if (handle_ >= 0) {
        ::close(handle_);
        handle_ = -1;
    }
}

}  // namespace corvane
