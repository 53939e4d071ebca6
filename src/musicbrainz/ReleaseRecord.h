#pragma once

#include <string>

#include "cddb/CddbRecords.h"
#include "musicbrainz/DiscToc.h"
#include "musicbrainz/ReleaseRecords.h"

namespace corvane {

// The medium of the release that the files stand for: the one whose disc
// list holds discId; else, of those with the table's track count, the one
// closest in length; else the one closest in length (the track-count check
// then asks). Null when no medium has tracks.
const MbMedium* ChooseMedium(const MbRelease& release, const DiscToc& toc,
                             const std::string& discId);

// The album record of one medium of the release, as the rest of the road
// takes a CDDB record: frame offsets and disc length from the track lengths
// (from the table where lengths are missing), the genre spelt as the ID3
// list spells it when the list holds it, the track artists of a
// compilation, and the release id in extendedData.
DiscRecord ToDiscRecord(const MbRelease& release, const MbMedium& medium, const DiscToc& toc);

// "Artist / Title (year, country, format)"; missing parts are left out.
std::string ReleaseLine(const MbRelease& release);

// The year at the start of a date ("1999-05-04"), 0 when there is none.
int YearOfDate(const std::string& date);

}  // namespace corvane
