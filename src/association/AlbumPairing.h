#pragma once

#include <vector>

#include "album/AlbumFolder.h"
#include "processing/FilePairing.h"

namespace corvane {

// Which file becomes which track: rows of the two lists, row k against row k.
struct AlbumPairing {
    std::vector<int> fileRows;
    std::vector<int> trackRows;
};

// After a disc id the files are the disc's tracks in order.
AlbumPairing RecordOrderPairing(const AlbumFolder& album);

// After a keyword search the files were named by someone else: they are
// matched with the titles by number, title and play time.
AlbumPairing AutomaticPairing(const AlbumFolder& album);

// The pairs whose file and track lengths disagree by more than the tolerance.
std::vector<FileJob> PairingMismatches(const AlbumFolder& album, const AlbumPairing& pairing);

}  // namespace corvane
