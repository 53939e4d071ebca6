#pragma once

#include <string>

#include "album/DiscIdCalculator.h"
#include "platform/HttpFetch.h"

namespace corvane::cli {

struct MusicBrainzQueryOptions {
    std::string server;   // empty: the public service
    std::string contact;  // for the User-Agent; empty: the program's address
    FetchProxy proxy;
    bool json = false;
    std::string taggedDiscId;  // the files' "MusicBrainz Disc Id", asked for first
};

// "query FOLDER --musicbrainz": prints the MusicBrainz disc id of the files'
// table of contents, the table, and the releases the server offers for it.
int RunMusicBrainzQuery(const OffsetList& offsets, const MusicBrainzQueryOptions& options);

}  // namespace corvane::cli
