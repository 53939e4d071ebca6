#include "library/LibraryRun.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <optional>
#include <set>
#include <thread>

#include "album/AlbumFolder.h"
#include "library/AlbumFinder.h"
#include "library/LibraryLookup.h"
#include "processing/RunRecovery.h"

namespace corvane {

namespace {

constexpr const char* kServicesDown =
    "not asked: the lookup services are taken as down after 3 failures in a row";
// Read folders waiting for their lookup, per reading thread: enough to keep
// the network busy, few enough to keep memory small.
constexpr std::size_t kReadAhead = 4;
// How much the reading threads step back (a nice value, for their thread only).
constexpr int kReaderNice = 10;

// A queue between threads; Close wakes every waiter and ends it. A push
// wakes one taker and a take one pusher: waking all of them for every album
// costs a large library more than its reading.
template <class T>
class BlockingQueue {
public:
    explicit BlockingQueue(std::size_t capacity = 0) : capacity_(capacity) {}
    bool Push(T item) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return closed_ || capacity_ == 0 || items_.size() < capacity_; });
        if (closed_) {
            return false;
        }
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }
    std::optional<T> Pop() {
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
        if (items_.empty()) {
            return std::nullopt;
        }
        T item = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return item;
    }
    // No more pushes; what is queued can still be taken.
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        notEmpty_.notify_all();
        notFull_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable notEmpty_;
    std::condition_variable notFull_;
    std::deque<T> items_;
    std::size_t capacity_;
    bool closed_ = false;
};

// An album with the files of each disc read, when it is to be looked up.
struct ReadAlbum {
    LibraryAlbum album;
    std::vector<AlbumFolder> discs;
    std::string unfinished;  // why it cannot be filed now, found while reading
    bool asked = false;      // looked up in this run
};

long NowSeconds() {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count());
}

// A run that is not the library's own was left unfinished in the folder.
std::string UnfinishedRunReason(const LibraryAlbum& album) {
    for (const LibraryDisc& disc : album.discs) {
        if (FindRun(disc.folder).Unfinished()) {
            return "the last run in " + disc.folder + " was not finished: resume or undo it first";
        }
    }
    return {};
}

}  // namespace

LibraryRun::LibraryRun(LibraryOptions options, Mp3Factory mp3Factory, LibraryListener& listener)
    : options_(std::move(options)),
      mp3Factory_(std::move(mp3Factory)),
      listener_(listener),
      state_(options_.root) {
    state_.SetWritable(!options_.dryRun);
}

LibraryRun::~LibraryRun() {
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

bool LibraryRun::LockRoot() {
    if (lockFd_ >= 0 || options_.dryRun) {
        return true;
    }
    ::mkdir(state_.Folder().c_str(), 0755);
    lockFd_ = ::open((state_.Folder() + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        error_ = lockFd_ < 0 ? "cannot keep the run's state in " + state_.Folder()
                             : "another library run is working on " + options_.root;
        if (lockFd_ >= 0) {
            ::close(lockFd_);
        }
        lockFd_ = -1;
        return false;
    }
    return true;
}

bool LibraryRun::Run() {
    struct stat info {};
    if (::stat(options_.root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error_ = "cannot open the folder " + options_.root;
        return false;
    }
    if (!LockRoot()) {
        return false;
    }
    FinishInterrupted();
    BlockingQueue<LibraryAlbum> listed;
    BlockingQueue<ReadAlbum> read(kReadAhead * std::max(1u, options_.jobs));
    std::atomic<std::size_t> listedCount{0};
    std::atomic<bool> listingDone{false};

    std::thread lister([&] {
        AlbumFinder finder(state_.FiledDirectories(), options_.again, stop_);
        finder.Find(options_.root, [&](LibraryAlbum album) {
            ++listedCount;
            listed.Push(std::move(album));
        });
        listingDone = true;
        listed.Close();
    });
    // What the state already decided is not looked up again; the rest is read.
    const std::set<std::string> decidedBefore =
        options_.again ? std::set<std::string>() : state_.DecidedFolders();
    const auto readAlbums = [&](Mp3InfoObject* mp3) {
        while (std::optional<LibraryAlbum> album = listed.Pop()) {
            ReadAlbum item;
            item.album = std::move(*album);
            const bool decided = item.album.state == AlbumState::kDone ||
                                 decidedBefore.count(item.album.folder) != 0;
            if (!decided && mp3 != nullptr && !stop_) {
                item.unfinished = UnfinishedRunReason(item.album);
            }
            if (!decided && mp3 != nullptr && !stop_ && item.unfinished.empty()) {
                for (const LibraryDisc& disc : item.album.discs) {
                    item.discs.emplace_back();
                    ReadFolderFiles(item.discs.back(), disc.folder, *mp3);
                }
            }
            if (!read.Push(std::move(item))) {
                break;
            }
        }
    };
    std::vector<std::thread> readers;
    std::atomic<unsigned> readersLeft{std::max(1u, options_.jobs)};
    for (unsigned i = 0; i < std::max(1u, options_.jobs); ++i) {
        readers.emplace_back([&] {
            // Reading is bulk work that is ahead anyway: the lookups, which
            // wait on each answer, and the window come first when they need a core.
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kReaderNice);
            Mp3InfoPtr mp3 = mp3Factory_();
            readAlbums(mp3.get());
            if (--readersLeft == 0) {
                read.Close();
            }
        });
    }

    // The lookups wait for the network, one at a time; what follows them
    // (recording, printing, planning, filing) runs meanwhile on its own thread.
    BlockingQueue<ReadAlbum> looked(kReadAhead);
    std::thread settler([&] {
        Mp3InfoPtr mp3 = mp3Factory_();
        std::size_t decided = 0;
        while (std::optional<ReadAlbum> item = looked.Pop()) {
            if (stop_) {
                break;
            }
            const bool earlier = decidedBefore.count(item->album.folder) != 0;
            Settle(std::move(item->album), item->asked, earlier, item->discs, mp3.get());
            listener_.Progress(++decided, listedCount, listingDone);
            WriteReport(false);
        }
        looked.Close();
    });
    LibraryLookup lookup(options_.settings);
    while (std::optional<ReadAlbum> item = read.Pop()) {
        if (stop_) {
            break;
        }
        if (item->album.state != AlbumState::kDone &&
            decidedBefore.count(item->album.folder) == 0) {
            // Not asked when the services are down: the next run asks.
            item->asked = Identify(item->album, item->discs, item->unfinished, lookup);
        }
        if (!looked.Push(std::move(*item))) {
            break;
        }
    }
    looked.Close();
    settler.join();
    // Stopped or done: the other threads end at their next album.
    listed.Close();
    read.Close();
    lister.join();
    for (std::thread& reader : readers) {
        reader.join();
    }
    WriteReport(true);
    return true;
}

// Albums killed mid-filing are finished by their journals before the tree is
// listed again: half moved, they would be listed as other albums.
void LibraryRun::FinishInterrupted() {
    Mp3InfoPtr mp3 = mp3Factory_();
    for (LibraryAlbum album : state_.Interrupted()) {
        if (options_.dryRun || !mp3) {
            break;
        }
        std::string reason;
        const bool filed = FileAlbum(album, *mp3, options_.filing, reason);
        album.state = filed ? AlbumState::kFiled : AlbumState::kFailed;
        album.reason = reason;
        state_.Record(album);
    }
}

// What an album looked up (or decided earlier) comes to: recorded, reported,
// and planned or filed when found.
void LibraryRun::Settle(LibraryAlbum album, bool asked, bool decidedEarlier,
                        const std::vector<AlbumFolder>& read, Mp3InfoObject* mp3) {
    const std::optional<LibraryAlbum> known = state_.Find(album.folder);
    if (album.state == AlbumState::kDone && known.has_value() &&
        known->state == AlbumState::kFiled) {
        album = *known;  // filed by an earlier pass
    } else if (album.state != AlbumState::kDone && decidedEarlier && known.has_value()) {
        album = *known;  // decided by an earlier pass
    }
    std::size_t index = 0;
    {
        std::lock_guard lock(mutex_);
        index = albums_.size();
        albums_.push_back(Slim(album));
    }
    const bool fileIt = album.state == AlbumState::kFiling ||
                        (album.state == AlbumState::kFound && options_.fileFound);
    // An album filed at once is recorded as its filing begins, with all the
    // lookup found: one synced line less.
    if (asked && !(fileIt && !options_.dryRun)) {
        state_.Record(album);
    }
    listener_.AlbumChanged(album, index);
    if (fileIt && options_.dryRun && mp3 != nullptr) {
        listener_.Plan(album, FilingPlan(album, *mp3, options_.filing, read));
    } else if (fileIt && mp3 != nullptr) {
        File(index, album, *mp3, read);
    }
}

bool LibraryRun::Identify(LibraryAlbum& album, const std::vector<AlbumFolder>& discs,
                          const std::string& unfinished, LibraryLookup& lookup) {
    if (!unfinished.empty()) {
        album.state = AlbumState::kFailed;
        album.reason = unfinished;
        return true;
    }
    if (failuresInRow_ >= kFailuresTakenAsDown) {
        album.state = AlbumState::kNotFound;
        album.reason = kServicesDown;
        return false;
    }
    std::vector<DiscOutcome> outcomes;
    for (std::size_t i = 0; i < album.discs.size() && i < discs.size(); ++i) {
        outcomes.push_back(lookup.Identify(discs[i], album.discs[i]));
    }
    const DiscOutcome outcome = CombineDiscs(album, std::move(outcomes));
    album.state = outcome.state;
    album.reason = outcome.reason;
    album.source = outcome.state == AlbumState::kFound ? outcome.source : "";
    failuresInRow_ = album.state == AlbumState::kFailed ? failuresInRow_ + 1 : 0;
    return true;
}

void LibraryRun::Change(std::size_t index, LibraryAlbum album) {
    state_.Record(album);
    {
        std::lock_guard lock(mutex_);
        albums_[index] = Slim(album);
    }
    listener_.AlbumChanged(album, index);
}

void LibraryRun::File(std::size_t index, LibraryAlbum album, Mp3InfoObject& mp3,
                      const std::vector<AlbumFolder>& read) {
    if (album.state != AlbumState::kFiling) {
        album.albumDirectory = AlbumDirectoryOf(album);
        album.state = AlbumState::kFiling;
        // Recorded before the first change, so that a kill is finished next time.
        Change(index, album);
    }
    std::string reason;
    if (FileAlbum(album, mp3, options_.filing, reason, read)) {
        album.state = AlbumState::kFiled;
        album.reason.clear();
    } else {
        album.state = AlbumState::kFailed;
        album.reason = reason;
    }
    Change(index, album);
}

bool LibraryRun::FileFound() {
    if (!LockRoot()) {
        return false;
    }
    Mp3InfoPtr mp3 = mp3Factory_();
    const std::size_t count = Albums().size();
    for (std::size_t i = 0; i < count && !stop_ && mp3; ++i) {
        const AlbumState state = AlbumAt(i).state;
        if (state == AlbumState::kFound || state == AlbumState::kFiling) {
            // The list keeps no tracks; the state keeps them for what is to be filed.
            const std::optional<LibraryAlbum> full = state_.Find(AlbumAt(i).folder);
            File(i, full ? *full : AlbumAt(i), *mp3);
        }
    }
    WriteReport(true);
    return true;
}

bool LibraryRun::Undo() {
    if (!LockRoot()) {
        return false;
    }
    for (LibraryAlbum album : state_.FiledNewestFirst()) {
        if (stop_) {
            break;
        }
        std::string reason;
        const bool undone = UndoAlbum(album, reason);
        album.state = undone ? AlbumState::kUndone : AlbumState::kFailed;
        album.reason = reason;
        std::size_t index = 0;
        {
            std::lock_guard lock(mutex_);
            index = albums_.size();
            albums_.push_back(Slim(album));
        }
        Change(index, album);
    }
    WriteReport(true);
    return true;
}

LibraryAlbum LibraryRun::AlbumAt(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return albums_[index];
}

std::vector<LibraryAlbum> LibraryRun::Albums() const {
    std::lock_guard lock(mutex_);
    return albums_;
}

void LibraryRun::WriteReport(bool force) {
    if (options_.reportPath.empty() || (!force && NowSeconds() == lastReport_)) {
        return;
    }
    lastReport_ = NowSeconds();
    WriteLibraryReport(options_.reportPath, Albums());
}

}  // namespace corvane
