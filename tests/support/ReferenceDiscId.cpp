#include "support/ReferenceDiscId.h"

#include <discid/discid.h>

namespace corvane::test {

std::string ReferenceDiscId(const std::vector<long>& frames) {
    int offsets[100] = {};
    if (frames.empty() || frames.size() > 99) {
        return {};
    }
    long position = 150;  // the lead-in
    for (std::size_t i = 0; i < frames.size(); ++i) {
        offsets[i + 1] = static_cast<int>(position);
        position += frames[i];
    }
    offsets[0] = static_cast<int>(position);  // libdiscid takes the lead-out first
    DiscId* disc = discid_new();
    std::string id;
    if (discid_put(disc, 1, static_cast<int>(frames.size()), offsets)) {
        id = discid_get_freedb_id(disc);
    }
    discid_free(disc);
    return id;
}

}  // namespace corvane::test
