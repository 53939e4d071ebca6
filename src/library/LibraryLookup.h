#pragma once

#include <memory>
#include <string>
#include <vector>

#include "album/AlbumFolder.h"
#include "cddb/CddbAgent.h"
#include "library/LibraryAlbum.h"
#include "lookup/LookupWorkflow.h"
#include "platform/MemoryComboBox.h"

namespace corvane {

struct SettingsValues;

// What the lookup of one disc gave.
struct DiscOutcome {
    AlbumState state = AlbumState::kNotFound;
    std::string reason;
    std::string source;  // "CDDB", "MusicBrainz", "CDDB keyword search"
    DiscRecord record;   // the record found
};

// The single-album lookup ("&Query") of each disc, without dialogs: one
// album that fits is taken, and every question a window would ask ends the
// disc's lookup as "choose". One object serves the whole run, so that its
// requests go one at a time and MusicBrainz is asked at most once a second.
class LibraryLookup {
public:
    explicit LibraryLookup(const SettingsValues& settings);
    ~LibraryLookup();

    // Looks up the disc whose files were read into scanned; on "found",
    // disc.tracks, disc.pairByKeywords are set. disc.discId is set in any case.
    DiscOutcome Identify(AlbumFolder scanned, LibraryDisc& disc);

private:
    class View;
    std::unique_ptr<View> view_;
    CddbAgent agent_;
    MemoryComboBox serverCombo_;
    AlbumFolder album_;
    LookupWorkflow workflow_;
};

// The discs of an album found one by one, put together: "found" when every
// disc is found and they belong together (one MusicBrainz release, or CDDB
// titles that differ only by a disc marker); the discs are then put in the
// order of their numbers and their tracks carry the disc number and count.
// Otherwise the first disc's state that is not "found" decides.
DiscOutcome CombineDiscs(LibraryAlbum& album, std::vector<DiscOutcome> outcomes);

}  // namespace corvane
