#include "musicbrainz/DiscToc.h"

#include <gtest/gtest.h>

#include <random>

#include "support/ReferenceDiscId.h"

namespace corvane {
namespace {

// The example of the MusicBrainz disc id documentation.
TEST(DiscToc, DocumentedDiscGivesItsId) {
    const DiscToc toc{1, 6, 95462, {150, 15363, 32314, 46592, 63414, 80489}};
    EXPECT_EQ(TocParameter(toc), "1+6+95462+150+15363+32314+46592+63414+80489");
    EXPECT_EQ(MusicBrainzDiscId(toc), "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
    EXPECT_EQ(MusicBrainzDiscId(DiscToc{}), "");
    EXPECT_EQ(MusicBrainzDiscId(DiscToc{1, 100, 20000, std::vector<std::int32_t>(100, 150)}), "");
}

// Random albums of whole CD frames, the play times as an exact MP3 length
// gives them (samples / 44100): the id must be libdiscid's for the frames.
TEST(DiscToc, MatchesLibdiscidOnRandomAlbums) {
    std::mt19937 random(20250301);
    for (int album = 0; album < 500; ++album) {
        const int count = 1 + static_cast<int>(random() % 99);
        const long perTrack = 79L * 60 * 75 / count;
        std::vector<long> frames;
        TrackList files;
        for (int i = 0; i < count; ++i) {
            frames.push_back(1 + static_cast<long>(random() % perTrack));
            TrackInfo file;
            file.playTime = static_cast<double>(frames.back() * 588) / 44100.0;
            files.push_back(file);
        }
        // The id hashes the whole table, so a wrong offset shows as a wrong id.
        ASSERT_EQ(MusicBrainzDiscId(TocFromFiles(files)), test::ReferenceMusicBrainzId(frames))
            << "album " << album;
    }
}

}  // namespace
}  // namespace corvane
