#include "processing/RunLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSystem.h"
#include "processing/RunJournal.h"
#include "processing/RunRecovery.h"

namespace corvane {

namespace {

constexpr const char* kLockName = "lock";

bool SameFile(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// An exclusive lock on the file or folder at path, or -errno. A lock file
// that a run removed while this one waited for it is opened afresh, so that
// two runs never hold two different files of one name.
int LockPath(const std::string& path, bool isFile) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int flags =
            isFile ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_DIRECTORY | O_CLOEXEC;
        const int fd = ::open(path.c_str(), flags, 0666);
        if (fd < 0) {
            return -LastError();
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno == EWOULDBLOCK ? EWOULDBLOCK : LastError();
            ::close(fd);
            return -error;
        }
        if (SameFile(fd, path)) {
            return fd;
        }
        ::close(fd);
    }
    return -EWOULDBLOCK;
}

}  // namespace

RunLock::RunLock(RunLock&& other) noexcept : held_(std::move(other.held_)) {
    other.held_.clear();
}

RunLock& RunLock::operator=(RunLock&& other) noexcept {
    if (this != &other) {
        Release();
        held_ = std::move(other.held_);
        other.held_.clear();
    }
    return *this;
}

bool RunLock::Holds(const std::string& folder) const {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return false;
    }
    for (const Held& held : held_) {
        if (held.device == st.st_dev && held.inode == st.st_ino) {
            return true;
        }
    }
    return false;
}

int RunLock::Lock(const std::string& folder, bool withFile) {
    if (Holds(folder)) {
        return 0;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return LastError();
    }
    // A file system that cannot lock a folder (NFS locks need a file open
    // for writing) still has the lock file.
    const int dirFd = LockPath(folder, false);
    if (dirFd == -EWOULDBLOCK || (dirFd < 0 && !withFile)) {
        return -dirFd;
    }
    if (dirFd >= 0) {
        held_.push_back({dirFd, {}, st.st_dev, st.st_ino});
    }
    if (!withFile) {
        return 0;
    }
    const std::string own = JournalFolderOf(folder);
    if (::mkdir(own.c_str(), 0777) != 0 && errno != EEXIST) {
        return LastError();
    }
    const std::string file = own + "/" + kLockName;
    const int fd = LockPath(file, true);
    if (fd < 0) {
        return -fd;
    }
    held_.push_back({fd, file, st.st_dev, st.st_ino});
    return 0;
}

int RunLock::LockFolder(const std::string& folder) {
    return Lock(folder, true);
}

int RunLock::LockDirectory(const std::string& dir) {
    return Lock(dir, false);
}

int RunLock::LockRunOf(const std::string& folder, bool probe) {
    std::vector<std::string> folders{folder};
    const FoundRun run = FindRun(folder);
    JournalRecord record;
    if (run.found && ReadJournal(run.albumFolder, record)) {
        folders.push_back(run.albumFolder);
        if (!record.dirName.empty()) {
            folders.push_back(run.albumFolder + "/" + record.dirName);
        }
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        // Every holder holds the folders themselves: a probe makes no lock file.
        const bool withFile = !probe && i < 2;
        if (i == 2 && !IsDirectory(folders[i])) {
            break;
        }
        if (const int error = Lock(folders[i], withFile); error != 0) {
            return error;
        }
    }
    return 0;
}

void RunLock::Release() {
    // Backwards: a folder's lock file goes while the folder is still held.
    for (auto held = held_.rbegin(); held != held_.rend(); ++held) {
        if (!held->lockFile.empty()) {
            const std::string own = held->lockFile.substr(0, held->lockFile.rfind('/'));
            if (!Exists(own + "/journal")) {
                ::unlink(held->lockFile.c_str());
                ::rmdir(own.c_str());
            }
        }
        ::close(held->fd);
    }
    held_.clear();
}

bool FolderIsLocked(const std::string& folder) {
    RunLock probe;
    return probe.LockRunOf(folder, true) == EWOULDBLOCK;
}

}  // namespace corvane
