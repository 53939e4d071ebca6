#pragma once

#include "cli/Commands.h"

namespace corvane::cli {

inline constexpr const char* kQueryUsage =
    "query FOLDER [--server HOST[:PORT]] [--json] [CDDB OPTIONS]\n"
    "                    [--musicbrainz [--musicbrainz-server URL]]\n"
    "                    [--acoustid-key KEY [--acoustid-server URL]] [--no-acoustid]";
inline constexpr const char* kReadUsage =
    "read CATEGORY DISCID [--server HOST[:PORT]] [--json] [CDDB OPTIONS]";
inline constexpr const char* kSitesUsage = "sites [--server HOST[:PORT]] [CDDB OPTIONS]";
inline constexpr const char* kSearchUsage =
    "search WORDS... [--server HOST[:PORT]] [--web HOST[:PORT]] [--json] [CDDB OPTIONS]";

// Computes the disc id of the folder's MP3 files and lists the albums the
// CDDB server offers for it; with --musicbrainz, the MusicBrainz disc id, the
// table of contents and the MusicBrainz releases instead.
int RunQuery(const Arguments& arguments);
// Reads one album record from the CDDB server and prints it parsed.
int RunRead(const Arguments& arguments);
// Lists the albums a keyword search finds: by the server's search command, or
// on the web search page of --web.
int RunSearch(const Arguments& arguments);
// Lists the server's mirror sites.
int RunSites(const Arguments& arguments);

}  // namespace corvane::cli
