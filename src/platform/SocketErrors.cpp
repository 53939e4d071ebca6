#include "platform/SocketErrors.h"

#include <cerrno>

namespace corvane {

int SocketErrorFromErrno(int error) {
    switch (error) {
        case 0:
            return 0;
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
        case EPERM:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return kSocketInvalidArgument;
        case EMFILE:
        case ENFILE:
            return 10024;
        case EWOULDBLOCK:
            return 10035;
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case ENOTSOCK:
            return 10038;
        case EMSGSIZE:
            return 10040;
        case EPROTONOSUPPORT:
            return kSocketProtocolNotSupported;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
        case EPIPE:
            return kSocketConnectionReset;
        case ENOBUFS:
        case ENOMEM:
            return 10055;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return 10057;
        case ETIMEDOUT:
            return kSocketTimedOut;
        case ECONNREFUSED:
            return kSocketConnectionRefused;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return kSocketHostUnreachable;
        default:
            return kSocketSystemCallFailure;
    }
}

}  // namespace corvane

namespace corvane {

std::string SocketErrorWords(int code) {
    switch (code) {
        case kSocketInvalidArgument:
            return "host name not found";
        case 10050:
            return "network down";
        case 10051:
            return "network unreachable";
        case kSocketConnectionReset:
            return "connection reset";
        case kSocketTimedOut:
            return "timed out";
        case kSocketConnectionRefused:
            return "connection refused";
        case 10064:
            return "host down";
        case kSocketHostUnreachable:
            return "no route to host";
        default:
            return {};
    }
}

bool IsUnreachable(int code) {
    switch (code) {
        case kSocketInvalidArgument:
        case 10050:
        case 10051:
        case kSocketTimedOut:
        case kSocketConnectionRefused:
        case 10064:
        case kSocketHostUnreachable:
            return true;
        default:
            return false;
    }
}

}  // namespace corvane
