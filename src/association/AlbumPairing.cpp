#include "association/AlbumPairing.h"

#include "association/Association.h"

namespace corvane {

AlbumPairing RecordOrderPairing(const AlbumFolder& album) {
    return {RecordOrderRows(album.files.size()), RecordOrderRows(album.tracks.size())};
}

AlbumPairing AutomaticPairing(const AlbumFolder& album) {
    Association association(album.files, album.tracks);
    association.AutoAssociate();
    AlbumPairing pairing;
    for (const AssociatedPair& pair : AssociatedPairs(
             association.FileRows(), association.TitleRows(), album.files, album.tracks)) {
        pairing.fileRows.push_back(pair.file);
        pairing.trackRows.push_back(pair.track);
    }
    return pairing;
}

std::vector<FileJob> PairingMismatches(const AlbumFolder& album, const AlbumPairing& pairing) {
    return LengthMismatches(
        PairRows(album.files, pairing.fileRows, album.tracks, pairing.trackRows), album.files,
        album.tracks);
}

}  // namespace corvane
