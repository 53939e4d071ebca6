#pragma once

#include "album/AlbumFolder.h"
#include "cli/Options.h"

namespace corvane::cli {

// The query by sound when the disc id found nothing: each file's
// fingerprint looked up on AcoustID, then the releases that hold most of
// the files, best first, one line each (or as JSON). 0, or 1 on a failure.
int RunSoundQuery(const AlbumFolder& album, const CddbOptions& options);

}  // namespace corvane::cli
