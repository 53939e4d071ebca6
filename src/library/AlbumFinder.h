#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "library/LibraryAlbum.h"

namespace corvane {

// Lists the albums under a root as it walks the tree, so that the first ones
// can be identified while the rest is still being listed. Every folder that
// holds MP3 files is an album, except that disc folders ("CD1", "Disc 2")
// that are their parent's only MP3 folders join into one album, and so do
// sibling folders that differ only by a disc marker ("Album (Disc 1)",
// "Album (Disc 2)"). Hidden folders are not entered, nor links that lead
// out of the root or to a folder already listed.
class AlbumFinder {
public:
    using AlbumSink = std::function<void(LibraryAlbum album)>;

    // filedDirectories: album directories filed by earlier library runs,
    // each with the album's folder; they and what lies below them are
    // "done" (listed under the album's folder), as are folders that a
    // finished journal tells were made or put in order by an earlier run.
    // With again those are listed as any other album.
    AlbumFinder(std::map<std::string, std::string> filedDirectories, bool again,
                const std::atomic<bool>& stop)
        : filedDirectories_(std::move(filedDirectories)), again_(again), stop_(stop) {}

    // Walks root (an absolute path) and hands each album to sink as soon as
    // its parent folder is walked. False when root cannot be read.
    bool Find(const std::string& root, const AlbumSink& sink);

private:
    struct Walked;
    Walked Walk(const std::string& folder, const AlbumSink& sink);
    void Emit(LibraryAlbum album, const AlbumSink& sink) const;
    // The folder the done album is listed under, or empty when it is not done.
    std::string DoneAlbumOf(const std::string& folder) const;
    bool Enter(const std::string& path, bool link);

    std::map<std::string, std::string> filedDirectories_;
    bool again_;
    const std::atomic<bool>& stop_;
    std::string root_;
    std::set<std::pair<unsigned long long, unsigned long long>> visited_;  // device, inode
};

}  // namespace corvane
