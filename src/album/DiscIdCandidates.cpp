#include "album/DiscIdCandidates.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

namespace corvane {

namespace {

constexpr int kSums = 255;  // the id keeps the digit sum modulo 255
constexpr double kLeadIn = 150.0;
// Beyond these the search is not worth its memory: the first id only.
constexpr std::size_t kMaxTracks = 99;
constexpr std::int32_t kMaxRangeWidth = 4;

std::int32_t Frames(const CdOffset& at) {
    return (at.minutes * 60 + at.seconds) * 75 + at.frames;
}

CdOffset Position(std::int32_t frames) {
    return {frames / 4500, frames / 75 % 60, frames % 75};
}

// One track's lengths in CD frames: base + k for k below count, each with
// its weight.
struct Choices {
    double base = 0;
    std::vector<double> weights{1.0};
    bool ranged = false;  // an estimate: base is its shortest whole frame count
};

Choices ChoicesOf(const TrackInfo& file) {
    Choices c;
    const double estimate =
        std::isfinite(file.playTime) && file.playTime > 0 ? file.playTime * 75.0 : 0.0;
    c.base = estimate;
    const std::int32_t low = file.shortestCdFrames;
    const std::int32_t high = file.longestCdFrames;
    if (file.lengthExact || low <= 0 || high < low || high - low > kMaxRangeWidth) {
        return c;
    }
    // The nearer a whole frame lies to the estimate, the likelier it is:
    // with the silent end granules the estimate is a frame itself, without
    // them it lies between two equally likely ones.
    c.base = low;
    c.ranged = true;
    c.weights.clear();
    for (std::int32_t f = low; f <= high; ++f) {
        c.weights.push_back(std::exp(-2.0 * std::fabs(f - estimate)));
    }
    return c;
}

std::string Trimmed(std::string_view text) {
    const auto space = [](char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// The value all files carry alike, or empty.
std::string Agreed(const TrackList& files, std::string TrackInfo::*field) {
    if (files.empty()) {
        return {};
    }
    const std::string first = Trimmed(files.front().*field);
    for (const TrackInfo& file : files) {
        if (Trimmed(file.*field) != first) {
            return {};
        }
    }
    return first;
}

bool ParseNumber(std::string_view text, std::int64_t& value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return true;
}

// Track starts that rise and a lead-out after the last.
bool Plausible(const std::vector<std::int32_t>& frames) {
    if (frames.size() < 2 || frames.size() > 100) {
        return false;
    }
    for (std::size_t i = 1; i < frames.size(); ++i) {
        if (frames[i] <= frames[i - 1]) {
            return false;
        }
    }
    return true;
}

OffsetList ToOffsets(const std::vector<std::int32_t>& frames) {
    OffsetList offsets;
    for (const std::int32_t f : frames) {
        offsets.push_back(Position(f));
    }
    return offsets;
}

}  // namespace

std::uint32_t DiscIdOfOffsets(const OffsetList& offsets) {
    if (offsets.size() < 2) {
        return 0;
    }
    const std::size_t count = offsets.size() - 1;
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += DigitSum(Frames(offsets[i]) / 75);
    }
    const std::int64_t seconds = Frames(offsets.back()) / 75 - Frames(offsets.front()) / 75;
    return (static_cast<std::uint32_t>(sum % kSums) << 24) |
           ((static_cast<std::uint32_t>(seconds) & 0xFFFFu) << 8) |
           (static_cast<std::uint32_t>(count) & 0xFFu);
}

bool ParseCddbIdText(std::string_view text, std::uint32_t& discId) {
    const std::string id = Trimmed(text);
    if (id.empty() || id.size() > 8 ||
        id.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    discId = static_cast<std::uint32_t>(std::stoul(id, nullptr, 16));
    return true;
}

bool ParseItunesCddb(std::string_view text, std::uint32_t& discId, OffsetList& offsets) {
    std::vector<std::string_view> fields;
    const std::string whole = Trimmed(text);
    std::string_view rest = whole;
    while (!rest.empty()) {
        const std::size_t plus = rest.find('+');
        fields.push_back(rest.substr(0, plus));
        rest = plus == std::string_view::npos ? std::string_view() : rest.substr(plus + 1);
    }
    std::int64_t leadOut = 0;
    std::int64_t count = 0;
    if (fields.size() < 4 || !ParseCddbIdText(fields[0], discId) ||
        !ParseNumber(fields[1], leadOut) || !ParseNumber(fields[2], count) ||
        static_cast<std::size_t>(count) + 3 != fields.size()) {
        return false;
    }
    std::vector<std::int32_t> frames;
    for (std::size_t i = 3; i < fields.size(); ++i) {
        std::int64_t value = 0;
        if (!ParseNumber(fields[i], value)) {
            return false;
        }
        frames.push_back(static_cast<std::int32_t>(value));
    }
    frames.push_back(static_cast<std::int32_t>(leadOut));
    if (!Plausible(frames)) {
        return false;
    }
    offsets = ToOffsets(frames);
    return true;
}

bool ParseCdToc(std::string_view bytes, OffsetList& offsets) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < 4 + 16) {
        return false;
    }
    const std::size_t length = (std::size_t{byte(0)} << 8) | byte(1);
    const std::size_t entries =
        std::min(length >= 2 ? (length - 2) / 8 : 0, (bytes.size() - 4) / 8);
    std::vector<std::int32_t> frames;
    bool leadOut = false;
    for (std::size_t e = 0; e < entries && !leadOut; ++e) {
        const std::size_t at = 4 + 8 * e;
        const std::int64_t block = (std::int64_t{byte(at + 4)} << 24) | (byte(at + 5) << 16) |
                                   (byte(at + 6) << 8) | byte(at + 7);
        if (block > 100 * 60 * 75) {
            return false;
        }
        // Logical block 0 is where the CDDB counts frame 150.
        frames.push_back(static_cast<std::int32_t>(block + 150));
        leadOut = byte(at + 2) == 0xAA;
    }
    if (!leadOut || !Plausible(frames)) {
        return false;
    }
    offsets = ToOffsets(frames);
    return true;
}

std::vector<DiscCandidate> NeighbourDiscIds(const TrackList& files, std::size_t maxIds) {
    std::vector<DiscCandidate> ids;
    if (files.empty() || maxIds == 0) {
        return ids;
    }
    DiscIdCalculator calculator;
    DiscCandidate first;
    first.discId = calculator.ComputeDiscId(files);
    calculator.GetOffsets(first.offsets);
    ids.push_back(first);

    const std::size_t n = files.size();
    std::vector<Choices> choices;
    std::int32_t widest = 0;  // the largest sum of the extra frames
    bool ranged = false;
    for (const TrackInfo& file : files) {
        choices.push_back(ChoicesOf(file));
        widest += static_cast<std::int32_t>(choices.back().weights.size()) - 1;
        ranged = ranged || choices.back().ranged;
    }
    if (!ranged || n > kMaxTracks || maxIds == 1) {
        return ids;
    }

    // Over the tracks in order, the state is (frames added so far, digit sum
    // of the track starts so far); every whole-frame combination is a path.
    // Each state keeps the probability of all paths into it and of the best
    // one, whose last step is kept to walk it back.
    const std::size_t width = static_cast<std::size_t>(widest) + 1;
    const auto index = [&](std::int32_t extra, int sum) {
        return static_cast<std::size_t>(extra) * kSums + static_cast<std::size_t>(sum);
    };
    std::vector<double> mass(width * kSums, 0.0), best(width * kSums, -1.0);
    std::vector<std::vector<std::uint8_t>> step(n, std::vector<std::uint8_t>(width * kSums, 0));
    std::vector<double> starts(n);
    mass[index(0, 0)] = 1.0;
    best[index(0, 0)] = 1.0;
    double start = kLeadIn;
    std::int32_t reach = 0;
    for (std::size_t i = 0; i < n; ++i) {
        starts[i] = start;
        const std::vector<double>& w = choices[i].weights;
        double total = 0;
        for (const double x : w) {
            total += x;
        }
        std::vector<double> nextMass(width * kSums, 0.0), nextBest(width * kSums, -1.0);
        for (std::int32_t extra = 0; extra <= reach; ++extra) {
            const int digits =
                DigitSum(static_cast<std::int64_t>(std::floor((start + extra) / 75.0)));
            for (int sum = 0; sum < kSums; ++sum) {
                const std::size_t from = index(extra, sum);
                if (best[from] < 0) {
                    continue;
                }
                const int newSum = (sum + digits) % kSums;
                for (std::size_t k = 0; k < w.size(); ++k) {
                    const double p = w[k] / total;
                    const std::size_t to = index(extra + static_cast<std::int32_t>(k), newSum);
                    nextMass[to] += mass[from] * p;
                    if (best[from] * p > nextBest[to]) {
                        nextBest[to] = best[from] * p;
                        step[i][to] = static_cast<std::uint8_t>(k);
                    }
                }
            }
        }
        mass.swap(nextMass);
        best.swap(nextBest);
        reach += static_cast<std::int32_t>(w.size()) - 1;
        if (i + 1 < n) {
            start += choices[i].base;
        }
    }

    struct Found {
        double mass = 0;
        double best = -1;
        std::size_t state = 0;
    };
    std::map<std::uint32_t, Found> found;
    const double leadOutBase = starts[n - 1] + std::floor(choices[n - 1].base);
    for (std::int32_t extra = 0; extra <= reach; ++extra) {
        const auto seconds =
            static_cast<std::int64_t>(std::floor((leadOutBase + extra) / 75.0)) - 2;
        for (int sum = 0; sum < kSums; ++sum) {
            const std::size_t at = index(extra, sum);
            if (best[at] < 0) {
                continue;
            }
            const std::uint32_t id = (static_cast<std::uint32_t>(sum) << 24) |
                                     ((static_cast<std::uint32_t>(seconds) & 0xFFFFu) << 8) |
                                     (static_cast<std::uint32_t>(n) & 0xFFu);
            Found& f = found[id];
            f.mass += mass[at];
            if (best[at] > f.best) {
                f.best = best[at];
                f.state = at;
            }
        }
    }
    std::vector<std::pair<std::uint32_t, Found>> order(found.begin(), found.end());
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return a.second.mass != b.second.mass ? a.second.mass > b.second.mass
                                              : a.second.best > b.second.best;
    });

    for (const auto& [id, f] : order) {
        if (ids.size() >= maxIds) {
            break;
        }
        // Walk the best path back to its lengths.
        TrackList lengths = files;
        std::size_t state = f.state;
        for (std::size_t i = n; i-- > 0;) {
            const std::uint8_t k = step[i][state];
            const std::int32_t extra = static_cast<std::int32_t>(state / kSums) - k;
            const int digits =
                DigitSum(static_cast<std::int64_t>(std::floor((starts[i] + extra) / 75.0)));
            const int sum = (static_cast<int>(state % kSums) - digits + kSums) % kSums;
            if (choices[i].ranged) {
                lengths[i].playTime = (choices[i].base + k) / 75.0;
            }
            state = index(extra, sum);
        }
        DiscCandidate next;
        next.source = DiscIdSource::kNeighbour;
        next.discId = calculator.ComputeDiscId(lengths);
        calculator.GetOffsets(next.offsets);
        const bool seen = std::any_of(ids.begin(), ids.end(), [&](const DiscCandidate& c) {
            return c.discId == next.discId;
        });
        if (!seen) {
            ids.push_back(next);
        }
    }
    return ids;
}

std::vector<DiscCandidate> TaggedDiscIds(const TrackList& files) {
    std::vector<DiscCandidate> ids;
    const auto add = [&](DiscCandidate c, bool ownOffsets) {
        c.source = DiscIdSource::kTag;
        for (DiscCandidate& known : ids) {
            if (known.discId == c.discId) {
                if (ownOffsets) {
                    known.offsets = c.offsets;  // the CD's own beat the files' lengths
                }
                return;
            }
        }
        ids.push_back(c);
    };
    DiscCandidate c;
    if (ParseCddbIdText(Agreed(files, &TrackInfo::tagCddbId), c.discId)) {
        DiscIdCalculator calculator;
        calculator.ComputeDiscId(files);
        calculator.GetOffsets(c.offsets);
        c.frame = "DISCID";
        add(c, false);
    }
    if (ParseItunesCddb(Agreed(files, &TrackInfo::tagItunesCddb), c.discId, c.offsets)) {
        c.frame = "iTunes_CDDB_1";
        add(c, true);
    }
    if (ParseCdToc(Agreed(files, &TrackInfo::tagCdToc), c.offsets)) {
        c.discId = DiscIdOfOffsets(c.offsets);
        c.frame = "MCDI";
        add(c, true);
    }
    return ids;
}

std::vector<DiscCandidate> LookupDiscIds(const TrackList& files, std::size_t maxIds) {
    std::vector<DiscCandidate> ids = TaggedDiscIds(files);
    for (DiscCandidate& c : NeighbourDiscIds(files, maxIds)) {
        const bool seen = std::any_of(ids.begin(), ids.end(), [&](const DiscCandidate& known) {
            return known.discId == c.discId;
        });
        if (!seen) {
            ids.push_back(std::move(c));
        }
    }
    if (ids.size() > maxIds) {
        ids.resize(maxIds);
    }
    return ids;
}

bool TaggedOffsets(const TrackList& files, OffsetList& offsets) {
    std::uint32_t id = 0;
    return ParseCdToc(Agreed(files, &TrackInfo::tagCdToc), offsets) ||
           ParseItunesCddb(Agreed(files, &TrackInfo::tagItunesCddb), id, offsets);
}

std::string TaggedMusicBrainzId(const TrackList& files) {
    return Agreed(files, &TrackInfo::tagMusicBrainzId);
}

std::string TaggedMusicBrainzAlbumId(const TrackList& files) {
    std::vector<std::string> ids;
    for (const TrackInfo& file : files) {
        ids.push_back(file.ids.musicBrainzAlbumId);
    }
    const bool alike = !ids.empty() && std::all_of(ids.begin(), ids.end(), [&](const auto& id) {
        return id == ids.front();
    });
    return alike ? ids.front() : std::string();
}

}  // namespace corvane
