#include "album/DiscIdCalculator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "support/ReferenceDiscId.h"

namespace corvane {
namespace {

TrackList Album(const std::vector<double>& playTimes) {
    TrackList files;
    for (double seconds : playTimes) {
        TrackInfo record;
        record.playTime = seconds;
        files.push_back(record);
    }
    return files;
}

std::string Hex(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

// A later album replaces the earlier one; 4.02 s is 301.5 frames, and two
// of them make 603 though the doubles add up to 752.9999999999999 (150 + 603).
TEST(DiscIdCalculator, IdsAndOffsetsOfSmallAlbums) {
    const struct {
        std::vector<double> playTimes;
        const char* id;
        OffsetList offsets;
    } cases[] = {
        {{200.0}, "0200c801", {{0, 2, 0}, {3, 22, 0}}},
        {{100.5, 60.2}, "0500a002", {{0, 2, 0}, {1, 42, 37}, {2, 42, 52}}},
        {{4.02, 4.02, 1.0}, "09000903", {{0, 2, 0}, {0, 6, 1}, {0, 10, 3}, {0, 11, 3}}},
    };
    DiscIdCalculator calculator;
    calculator.ComputeDiscId(Album({10, 20, 30}));
    for (const auto& c : cases) {
        const std::string id = Hex(calculator.ComputeDiscId(Album(c.playTimes)));
        EXPECT_EQ(id, c.id);
        OffsetList offsets{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}};
        calculator.GetOffsets(offsets);
        EXPECT_EQ(offsets, c.offsets) << id;
    }
}

// A damaged file (play time 0) and invalid play times count as empty tracks.
TEST(DiscIdCalculator, DamagedAndInvalidPlayTimesCountAsEmptyTracks) {
    DiscIdCalculator calculator;
    const std::uint32_t id = calculator.ComputeDiscId(Album({200.0, 0.0}));
    EXPECT_EQ(id & 0xFF, 2u);
    OffsetList offsets;
    calculator.GetOffsets(offsets);
    EXPECT_EQ(offsets, (OffsetList{{0, 2, 0}, {3, 22, 0}, {3, 22, 0}}));
    EXPECT_EQ(calculator.ComputeDiscId(Album({200.0, -5.0})), id);
    EXPECT_EQ(calculator.ComputeDiscId(Album({200.0, std::nan("")})), id);
    // An absurd length must not overflow the positions.
    calculator.ComputeDiscId(Album({1e300, 1.0}));
    calculator.GetOffsets(offsets);
    ASSERT_EQ(offsets.size(), 3u);
    EXPECT_GT(offsets[1].minutes, 0);
    EXPECT_GE(offsets[2].minutes, offsets[1].minutes);
}

TEST(DiscIdCalculator, EmptyListGivesZeroAndNoOffsets) {
    DiscIdCalculator calculator;
    OffsetList offsets{{9, 9, 9}};
    EXPECT_EQ(calculator.ComputeDiscId({}), 0u);
    calculator.GetOffsets(offsets);
    EXPECT_EQ(offsets.size(), 1u);
}

TEST(DiscIdCalculator, TrackCountKeepsLowEightBits) {
    DiscIdCalculator calculator;
    const std::uint32_t id = calculator.ComputeDiscId(Album(std::vector<double>(257, 1.0)));
    EXPECT_EQ(id & 0xFF, 1u);
    EXPECT_EQ((id >> 8) & 0xFFFF, 257u);  // 257 seconds of music
}

// Random albums whose tracks last whole CD frames, as CD rips do, against
// libdiscid. A quarter of the tracks end on or just before a whole second,
// where a start or lead-out one frame off changes the id. The play times are
// given the way an exact MP3 length arrives: samples / 44100 and frames / 75,
// both inexact in binary floating point.
TEST(DiscIdCalculator, MatchesLibdiscidOnRandomAlbums) {
    std::mt19937 random(20240611);
    const long maxDiscFrames = 79L * 60 * 75;
    for (int album = 0; album < 3000; ++album) {
        const int count = 1 + static_cast<int>(random() % 99);
        const long perTrack = maxDiscFrames / count;
        std::vector<long> frames;
        for (int i = 0; i < count; ++i) {
            long length = 1 + static_cast<long>(random() % perTrack);
            if (random() % 4 == 0) {
                length -= length % 75;  // ends on a whole second
                length += (random() % 2 == 0) ? 74 : 0;
                length = std::max(length, 1L);
            }
            frames.push_back(length);
        }
        TrackList fromSamples;
        TrackList fromFrames;
        for (long f : frames) {
            TrackInfo record;
            record.playTime = static_cast<double>(f * 588) / 44100.0;
            fromSamples.push_back(record);
            record.playTime = static_cast<double>(f) / 75.0;
            fromFrames.push_back(record);
        }
        const std::string reference = test::ReferenceDiscId(frames);
        ASSERT_FALSE(reference.empty());
        DiscIdCalculator calculator;
        ASSERT_EQ(Hex(calculator.ComputeDiscId(fromSamples)), reference) << "album " << album;
        ASSERT_EQ(Hex(calculator.ComputeDiscId(fromFrames)), reference) << "album " << album;

        OffsetList offsets;
        calculator.GetOffsets(offsets);
        ASSERT_EQ(offsets.size(), frames.size() + 1);
        long position = 150;
        for (std::size_t i = 0; i <= frames.size(); ++i) {
            const CdOffset& o = offsets[i];
            ASSERT_EQ((o.minutes * 60L + o.seconds) * 75 + o.frames, position) << "entry " << i;
            ASSERT_LT(o.seconds, 60);
            ASSERT_LT(o.frames, 75);
            if (i < frames.size()) {
                position += frames[i];
            }
        }
    }
}

}  // namespace
}  // namespace corvane
