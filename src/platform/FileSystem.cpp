#include "platform/FileSystem.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace corvane {

namespace {

// Fallback where the file system refuses RENAME_NOREPLACE: a hard link fails
// with EEXIST when the target exists, which makes the check atomic for files.
int RenameByLink(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0) {
        const int err = LastError();
        if (err != EPERM && err != EXDEV && err != ENOTSUP) {
            return err;
        }
        // Folders and file systems without hard links: check, then rename.
        struct stat st {};
        if (::lstat(to.c_str(), &st) == 0) {
            return EEXIST;
        }
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError();
    }
    if (::unlink(from.c_str()) != 0) {
        const int err = LastError();
        ::unlink(to.c_str());
        return err;
    }
    return 0;
}

// After a rename the folder's entry must reach the disk too, or a crash can
// bring back the old name. A folder that cannot be synced changes nothing.
void SyncParentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

int LastError() {
    return errno != 0 ? errno : EIO;
}

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    const int err = LastError();
    if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
        return RenameByLink(from, to);
    }
    return err;
}

int WriteFileAtomically(const std::string& path, std::string_view data) {
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return LastError();
    }
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int err = WriteAll(fd, data);
    if (err == 0 && ::fchmod(fd, mode) != 0) {
        err = LastError();
    }
    if (err == 0 && ::fsync(fd) != 0) {
        err = LastError();
    }
    if (::close(fd) != 0 && err == 0) {
        err = LastError();
    }
    if (err == 0 && ::rename(name.data(), path.c_str()) != 0) {
        err = LastError();
    }
    if (err != 0) {
        ::unlink(name.data());
        return err;
    }
    SyncParentFolder(path);
    return 0;
}

int ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int err = LastError();
            ::close(fd);
            return err;
        }
        if (got == 0) {
            break;
        }
        out.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return 0;
}

int ClearReadOnly(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return LastError();
    }
    if (st.st_mode & S_IWUSR) {
        return 0;
    }
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0 ? 0 : LastError();
}

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

TemporarilyWritable::TemporarilyWritable(std::string path) : path_(std::move(path)) {
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0 &&
        ::chmod(path_.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0) {
        cleared_ = true;
        mode_ = st.st_mode & 07777;
    }
}

TemporarilyWritable::~TemporarilyWritable() {
    Restore();
}

int TemporarilyWritable::Restore() {
    if (!std::exchange(cleared_, false)) {
        return 0;
    }
    return ::chmod(path_.c_str(), static_cast<mode_t>(mode_)) == 0 ? 0 : LastError();
}

std::string ExecutableDir() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return {};
    }
    std::string path(buffer, static_cast<size_t>(length));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace corvane
