#include "album/DiscIdCalculator.h"
#include "album/DiscIdCandidates.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/ReferenceDiscId.h"
#include "support/TestSupport.h"

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
        const std::string id = test::HexId(calculator.ComputeDiscId(Album(c.playTimes)));
        EXPECT_EQ(id, c.id);
        OffsetList offsets{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}};
        calculator.GetOffsets(offsets);
        EXPECT_EQ(offsets, c.offsets) << id;
    }
}

// A damaged file (play time 0) and invalid play times count as empty tracks.
TEST(DiscIdCalculator, DamagedInvalidAndOddAlbums) {
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
    // No files: id 0, the offsets untouched; the track count keeps its low eight bits.
    offsets = {{9, 9, 9}};
    EXPECT_EQ(calculator.ComputeDiscId({}), 0u);
    calculator.GetOffsets(offsets);
    EXPECT_EQ(offsets, (OffsetList{{9, 9, 9}}));
    const std::uint32_t many = calculator.ComputeDiscId(Album(std::vector<double>(257, 1.0)));
    EXPECT_EQ(many & 0xFF, 1u);
    EXPECT_EQ((many >> 8) & 0xFFFF, 257u);  // 257 seconds of music
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
        ASSERT_EQ(test::HexId(calculator.ComputeDiscId(fromSamples)), reference)
            << "album " << album;
        ASSERT_EQ(test::HexId(calculator.ComputeDiscId(fromFrames)), reference)
            << "album " << album;

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

// Random albums whose estimates miss the true whole-frame length by up to a
// frame either way, within a range of two or three frames: the true id
// (libdiscid's) is among the candidates, after the estimates' own id. With
// every length exact there is only that one.
TEST(DiscIdCandidates, TheTrueIdIsAmongTheNeighbours) {
    std::mt19937 random(5);
    int found = 0;
    for (int album = 0; album < 40; ++album) {
        std::vector<long> frames;
        TrackList files;
        for (int i = 0; i < 10; ++i) {
            frames.push_back(9000 + static_cast<long>(random() % 9000));
            const int low = static_cast<int>(frames.back()) - static_cast<int>(random() % 2);
            TrackInfo file;
            file.lengthExact = false;
            file.shortestCdFrames = low;
            file.longestCdFrames = low + 1 + static_cast<int>(random() % 2);
            file.playTime = (low + (random() % 3) * 0.5) / 75.0;  // a frame or between two
            files.push_back(file);
        }
        const std::vector<DiscCandidate> ids = NeighbourDiscIds(files);
        DiscIdCalculator calculator;
        ASSERT_FALSE(ids.empty());
        EXPECT_EQ(ids[0].discId, calculator.ComputeDiscId(files));
        EXPECT_LE(ids.size(), kMaxCandidateIds);
        for (const DiscCandidate& c : ids) {
            found += test::HexId(c.discId) == test::ReferenceDiscId(frames) &&
                     &c - ids.data() < static_cast<long>(kMaxIdQueries);
            EXPECT_EQ(DiscIdOfOffsets(c.offsets), c.discId);
        }
        for (TrackInfo& file : files) {
            file.lengthExact = true;
        }
        EXPECT_EQ(NeighbourDiscIds(files).size(), 1u);
    }
    EXPECT_GE(found, 38);
}

TEST(DiscIdCandidates, TagValuesAndWhenFilesAgree) {
    std::uint32_t id = 0;
    OffsetList offsets;
    EXPECT_TRUE(ParseCddbIdText(" 8A0B0C0D\n", id));
    EXPECT_EQ(id, 0x8a0b0c0du);
    EXPECT_FALSE(ParseCddbIdText("8A0B0C0D0", id));
    EXPECT_FALSE(ParseCddbIdText("xyz", id));
    ASSERT_TRUE(ParseItunesCddb("4711E807+343975+7+150+2660+18181+36113+123183+196941+249327", id,
                                offsets));
    EXPECT_EQ(id, 0x4711e807u);
    EXPECT_EQ(DiscIdOfOffsets(offsets), 0x4711e807u);  // the offsets give the same id
    EXPECT_EQ(offsets[1], (CdOffset{0, 35, 35}));
    EXPECT_FALSE(ParseItunesCddb("4711E807+343975+3+150+2660", id, offsets));
    EXPECT_FALSE(ParseItunesCddb("4711E807+100+1+150", id, offsets));  // lead-out too early

    // A drive's table: tracks at blocks 0 and 2510, lead-out (0xAA) at 4000.
    const std::string toc(
        "\x00\x1a\x01\x02"
        "\x00\x10\x01\x00\x00\x00\x00\x00"
        "\x00\x10\x02\x00\x00\x00\x09\xce"
        "\x00\x10\xaa\x00\x00\x00\x0f\xa0",
        28);
    ASSERT_TRUE(ParseCdToc(toc, offsets));
    EXPECT_EQ(offsets, (OffsetList{{0, 2, 0}, {0, 35, 35}, {0, 55, 25}}));
    EXPECT_FALSE(ParseCdToc(toc.substr(0, 20), offsets));  // no lead-out

    TrackList files = Album({30.0, 20.0});
    for (TrackInfo& file : files) {
        file.tagCddbId = "0badcafe";
        file.tagCdToc = toc;
    }
    const std::vector<DiscCandidate> ids = LookupDiscIds(files);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[0].discId, 0x0badcafeu);
    EXPECT_EQ(ids[1].frame, "MCDI");
    EXPECT_EQ(ids[1].offsets, offsets);
    EXPECT_EQ(ids[2].source, DiscIdSource::kEstimate);
    files[1].tagCddbId = "0badcaff";  // files that disagree carry no id
    EXPECT_EQ(TaggedDiscIds(files).size(), 1u);
}

}  // namespace
}  // namespace corvane
