#pragma once

#include <string>

#include "album/AlbumFolder.h"
#include "processing/Dependencies.h"

namespace corvane::cli {

// How "apply" treats the album folder's other files.
struct DependencyChoice {
    bool move = true;  // --no-dependencies turns it off
    bool all = false;  // --dependencies all: every candidate, matched or not
};

// The search words that pick the album's other files, as the window makes them.
std::string DependencySearchWords(const AlbumFolder& album);

// For --dry-run: each candidate that would move, as "name -> directory/name",
// and each that would stay.
void PrintDependencyPlan(const AlbumFolder& album, const std::string& dirName,
                         const DependencyChoice& choice);

}  // namespace corvane::cli
