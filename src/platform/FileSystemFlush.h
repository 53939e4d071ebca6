#pragma once

#include <sys/vfs.h>

namespace corvane {

// Whether one syncfs of the file system that holds fd also makes fd's data
// durable. Network and FUSE file systems may answer syncfs without flushing
// anything (FUSE does so unless its server supports it), so their files are
// flushed one by one instead.
inline bool OneFlushCoversFileSystem(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0x65735546UL:  // FUSE
        case 0x6969UL:      // NFS
        case 0xFF534D42UL:  // CIFS
        case 0xFE534D42UL:  // SMB2
        case 0x517BUL:      // SMB
        case 0x01021997UL:  // 9P
        case 0x00C36400UL:  // Ceph
        case 0x6B414653UL:  // AFS
            return false;
        default:
            return true;
    }
}

}  // namespace corvane
