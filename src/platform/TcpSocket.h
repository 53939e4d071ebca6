#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

// Owner of one blocking IPv4 stream socket. Failures leave a Windows Sockets
// style code (SocketErrors.h) in LastError().
class TcpSocket {
public:
    // A blocking connect may otherwise hang for minutes on a silent host.
    static constexpr int kDefaultConnectTimeoutMs = 30000;

    TcpSocket() = default;
    virtual ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    bool Create();
    // The host is taken as a dotted IPv4 address first; only when it is not
    // one is it resolved by name (first IPv4 address). An unresolvable name
    // fails with 10022; no connection within timeoutMs fails with 10060.
    bool Connect(const std::string& host, int port, int timeoutMs = kDefaultConnectTimeoutMs);
    // One send call; a partial send is not retried.
    bool Send(const char* data, std::size_t length);
    // Bytes read, 0 when the peer closed, negative on error.
    long Receive(char* buffer, std::size_t capacity);
    // Without waiting: false only when the check itself fails; otherwise
    // readable tells whether data (or a close) is waiting.
    bool IsReadable(bool& readable) { return WaitReadable(0, readable); }
    // The same, waiting up to timeoutMs for data to arrive.
    bool WaitReadable(int timeoutMs, bool& readable);
    void Close();

    int Handle() const { return handle_; }
    int LastError() const { return lastError_; }
    void SetLastError(int code) { lastError_ = code; }

protected:
    // Name lookup; returns the IPv4 address in network byte order.
    virtual bool Resolve(const std::string& host, std::uint32_t& address);

private:
    bool Fail(int error);

    int handle_ = -1;
    int lastError_ = 0;
};

// The IPv4 address of a dotted text "a.b.c.d", network byte order.
bool ParseDottedAddress(const std::string& host, std::uint32_t& address);

}  // namespace corvane
