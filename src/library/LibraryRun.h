#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "components/ComponentLoader.h"
#include "components/SettingsValues.h"
#include "library/LibraryAlbum.h"
#include "library/LibraryFiling.h"
#include "library/LibraryState.h"

namespace corvane {

class LibraryLookup;
struct AlbumFolder;

struct LibraryOptions {
    std::string root;         // absolute
    SettingsValues settings;  // the servers and switches of the lookups
    FilingSettings filing;
    bool dryRun = false;     // nothing filed; the plans are handed to the listener
    bool again = false;      // albums of earlier runs are identified again
    bool fileFound = true;   // found albums are filed as they are found
    unsigned jobs = 0;       // folders read at once; 0: one per core
    std::string reportPath;  // empty: no report file
};

// What the run tells as it goes, from the thread that runs it.
class LibraryListener {
public:
    virtual ~LibraryListener() = default;
    // An album was decided or filed; index is its place in Albums().
    virtual void AlbumChanged(const LibraryAlbum& album, std::size_t index) = 0;
    // decided of listed albums so far; listing is over when listed is final.
    virtual void Progress(std::size_t decided, std::size_t listed, bool listingDone) = 0;
    // A dry run's plan of a found album.
    virtual void Plan(const LibraryAlbum&, const std::vector<std::string>&) {}
};

// Makes one MP3 component object per thread that reads files.
using Mp3Factory = std::function<Mp3InfoPtr()>;

// The library run: every album under the root found, identified and filed,
// its state kept in the root so that a killed run goes on where it stopped.
// The folders are listed in one thread and read by several, while the
// lookups go one at a time in the thread that calls Run; it can be stopped
// between albums.
class LibraryRun {
public:
    LibraryRun(LibraryOptions options, Mp3Factory mp3Factory, LibraryListener& listener);

    // Lists and identifies (and files, with fileFound) every album. False
    // when the root cannot be read or another library run holds it (Error()).
    bool Run();
    // Files the albums that are found and wait (the window's "Put found
    // albums in order").
    bool FileFound();
    // Undoes the filed albums of the root's runs, newest first.
    bool Undo();
    // Asks the run to end after the album it is working on; any thread.
    void Stop() { stop_ = true; }
    // Before a new Run or FileFound after a Stop.
    void ClearStop() { stop_ = false; }

    // The albums as decided so far, in the order they were listed.
    std::vector<LibraryAlbum> Albums() const;
    LibraryAlbum AlbumAt(std::size_t index) const;
    const std::string& Error() const { return error_; }

private:
    bool LockRoot();
    void FinishInterrupted();
    // False when the services were taken as down and not asked.
    bool Identify(LibraryAlbum& album, const std::vector<AlbumFolder>& discs,
                  const std::string& unfinished, LibraryLookup& lookup);
    void Settle(LibraryAlbum album, bool asked, bool decidedEarlier,
                const std::vector<AlbumFolder>& read, Mp3InfoObject* mp3);
    void Change(std::size_t index, LibraryAlbum album);
    void File(std::size_t index, LibraryAlbum album, Mp3InfoObject& mp3,
              const std::vector<AlbumFolder>& read = {});
    void WriteReport(bool force);

    LibraryOptions options_;
    Mp3Factory mp3Factory_;
    LibraryListener& listener_;
    LibraryState state_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;  // guards albums_
    std::vector<LibraryAlbum> albums_;
    std::string error_;
    int lockFd_ = -1;  // flock on the state folder's lock file, held to the end

public:
    ~LibraryRun();
    LibraryRun(const LibraryRun&) = delete;
    LibraryRun& operator=(const LibraryRun&) = delete;

private:
    int failuresInRow_ = 0;
    long lastReport_ = 0;
};

// After this many albums in a row failed the services are taken as down.
inline constexpr int kFailuresTakenAsDown = 3;

}  // namespace corvane
