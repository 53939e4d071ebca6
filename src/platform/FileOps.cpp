#include "platform/FileOps.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSystem.h"
#include "platform/FileSystemFlush.h"

namespace corvane {

namespace {

int WriteAndClose(int fd, std::string_view data, bool sync) {
    int err = WriteAll(fd, data);
    if (err == 0 && sync && ::fsync(fd) != 0) {
        err = LastError();
    }
    if (::close(fd) != 0 && err == 0) {
        err = LastError();
    }
    return err;
}

}  // namespace

int FileOps::Rename(const std::string& from, const std::string& to) {
    return RenameNoReplace(from, to);
}

int FileOps::MakeDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : LastError();
}

int FileOps::RemoveDirectory(const std::string& path) {
    return ::rmdir(path.c_str()) == 0 ? 0 : LastError();
}

int FileOps::RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : LastError();
}

int FileOps::CreateFile(const std::string& path, std::string_view data, bool sync) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return LastError();
    }
    const int err = WriteAndClose(fd, data, sync || !OneFlushCoversFileSystem(fd));
    if (err != 0) {
        ::unlink(path.c_str());
    }
    return err;
}

int FileOps::Append(const std::string& path, std::string_view data, bool sync) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        return LastError();
    }
    return WriteAndClose(fd, data, sync);
}

int FileOps::ReplaceFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError();
}

int FileOps::Truncate(const std::string& path, std::size_t size) {
    return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0 ? 0 : LastError();
}

int FileOps::SyncFileSystem(const std::string& path) {
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    int err = ::syncfs(fd) == 0 ? 0 : LastError();
    if (::close(fd) != 0 && err == 0) {
        err = LastError();
    }
    return err;
}

}  // namespace corvane

namespace corvane {

int FileOps::SyncDirectory(const std::string& path) {
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    // Some file systems cannot sync a folder (EINVAL): their entries go with the file data.
    int err = ::fsync(fd) == 0 || errno == EINVAL ? 0 : LastError();
    if (::close(fd) != 0 && err == 0) {
        err = LastError();
    }
    return err;
}

}  // namespace corvane
