#pragma once

#include <string>

namespace corvane {

// Socket error codes in the Windows Sockets numbering, which the CDDB error
// texts ("Error: %d, Response:%s") show to the user.
inline constexpr int kSocketInvalidArgument = 10022;       // also: host name not resolved
inline constexpr int kSocketProtocolNotSupported = 10043;  // also: unexpected answer
inline constexpr int kSocketConnectionReset = 10054;
inline constexpr int kSocketTimedOut = 10060;
inline constexpr int kSocketConnectionRefused = 10061;
inline constexpr int kSocketHostUnreachable = 10065;
inline constexpr int kSocketSystemCallFailure = 10107;

// Maps an errno value of the socket calls to that numbering. Values without a
// counterpart become kSocketSystemCallFailure.
int SocketErrorFromErrno(int error);

// The code in words ("connection refused"); empty for codes without one.
std::string SocketErrorWords(int code);
// Whether the code says the server could not be reached at all, as opposed
// to a server that answered badly.
bool IsUnreachable(int code);

}  // namespace corvane
