#pragma once

#include <string>
#include <vector>

namespace corvane::test {

// The freedb id ("%08x") of a disc whose tracks last the given whole CD
// frames, computed by libdiscid, the reference implementation of the id.
// Empty when libdiscid refuses the disc.
std::string ReferenceDiscId(const std::vector<long>& frames);
// The MusicBrainz disc id of the same disc, by libdiscid.
std::string ReferenceMusicBrainzId(const std::vector<long>& frames);

}  // namespace corvane::test
