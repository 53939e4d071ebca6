#include <gtest/gtest.h>

#include <cstdio>

#include "cddb/CddbAgent.h"
#include "cddb/ServerProcess.h"
#include "support/TestSupport.h"

#ifdef CORVANE_HAVE_LIBCDDB
#include <cddb/cddb.h>
#endif

namespace corvane {
namespace {

using test::MakeRecord;
using test::ServerProcess;
using test::WriteRecord;

const OffsetList kOffsets{{0, 2, 0}, {4, 40, 52}, {10, 2, 0}};

class Cddbd : public ::testing::Test {
protected:
    void SetUp() override {
        WriteRecord(dir_.path(), "rock", "0102a002",
                    MakeRecord("0102a002", {150, 21052}, 600,
                               "Bj\xc3\xb6rk / D\xc3\xa9"
                               "but",
                               {"Human Behaviour", "Crying"}));
        WriteRecord(dir_.path(), "rock", "33333333",
                    MakeRecord("33333333", {150}, 100, "One / Rock", {"A"}));
        WriteRecord(dir_.path(), "jazz", "33333333",
                    MakeRecord("33333333", {150}, 100, "Two / Jazz", {"B"}));
        server_ = std::make_unique<ServerProcess>(dir_.path());
        ASSERT_GT(server_->Port(), 0);
        agent_.SetSite("127.0.0.1", server_->Port());
    }

    test::TempDir dir_;
    std::unique_ptr<ServerProcess> server_;
    CddbAgent agent_;
};

TEST_F(Cddbd, QueryAndReadOneMatch) {
    for (int level : {5, 6}) {
        agent_.SetProtocolLevel(level);
        ASSERT_EQ(agent_.Lookup(0x0102a002, kOffsets), CddbAgent::kRecordRead)
            << agent_.ErrorText();
        const DiscRecord& record = agent_.Record();
        // Sent as Latin-1 at level 5 and UTF-8 at 6; UTF-8 inside either way.
        EXPECT_EQ(record.artist, "Bj\xc3\xb6rk");
        EXPECT_EQ(record.album,
                  "D\xc3\xa9"
                  "but");
        EXPECT_EQ(record.trackTitles, (std::vector<std::string>{"Human Behaviour", "Crying"}));
        EXPECT_EQ(record.frameOffsets, (std::vector<int32_t>{150, 21052}));
        EXPECT_EQ(record.discLength, 600);
    }
}

TEST_F(Cddbd, SeveralCategoriesGiveAList) {
    std::vector<DiscMatch> matches;
    ASSERT_TRUE(agent_.Query(agent_.CurrentSite(), 0x33333333, kOffsets, matches));
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0], (DiscMatch{"jazz", 0x33333333, "Two", "Jazz"}));
    EXPECT_EQ(matches[1], (DiscMatch{"rock", 0x33333333, "One", "Rock"}));
}

TEST_F(Cddbd, UnknownDiscAndRecord) {
    std::vector<DiscMatch> matches;
    EXPECT_FALSE(agent_.Query(agent_.CurrentSite(), 0x0badf00d, kOffsets, matches));
    // No match is no transport failure: no error code, the answer body kept.
    EXPECT_EQ(agent_.ErrorCode(), 0);
    EXPECT_EQ(agent_.LastAnswer().substr(0, 4), "202 ");
    EXPECT_FALSE(agent_.ReadRecord(0x0badf00d, "rock"));
    EXPECT_EQ(agent_.ErrorCode(), 10043);
    EXPECT_NE(agent_.ErrorText().find("401 rock 0badf00d"), std::string::npos);
}

TEST_F(Cddbd, SitesAndMotd) {
    std::vector<CddbSite> sites;
    ASSERT_TRUE(agent_.Sites(agent_.CurrentSite(), sites));
    ASSERT_EQ(sites.size(), 1u);
    EXPECT_EQ(sites[0].host, "127.0.0.1");
    EXPECT_EQ(sites[0].port, server_->Port());
    std::string motd;
    ASSERT_TRUE(agent_.GetMotd(motd));
    EXPECT_NE(motd.find("Corvane"), std::string::npos);
}

TEST_F(Cddbd, ProxyFormIsServedToo) {
    agent_.SetProxy("127.0.0.1", server_->Port(), "user", "secret");
    agent_.SetSite("cddb.example", 80);
    ASSERT_EQ(agent_.Lookup(0x0102a002, kOffsets), CddbAgent::kRecordRead) << agent_.ErrorText();
}

#ifdef CORVANE_HAVE_LIBCDDB
// An independent CDDB client reads a record back from the server.
TEST_F(Cddbd, LibcddbReadsARecordBack) {
    cddb_conn_t* connection = cddb_new();
    ASSERT_NE(connection, nullptr);
    cddb_cache_disable(connection);
    cddb_http_enable(connection);
    cddb_set_server_name(connection, "127.0.0.1");
    cddb_set_server_port(connection, server_->Port());
    cddb_set_http_path_query(connection, "/~cddb/cddb.cgi");
    cddb_set_timeout(connection, 5);

    cddb_disc_t* disc = cddb_disc_new();
    for (int offset : {150, 21052}) {
        cddb_track_t* track = cddb_track_new();
        cddb_track_set_frame_offset(track, offset);
        cddb_disc_add_track(disc, track);
    }
    cddb_disc_set_length(disc, 600);
    // libcddb sends the id it computes from the offsets and the length.
    ASSERT_EQ(cddb_disc_calc_discid(disc), 1);
    char id[16];
    std::snprintf(id, sizeof id, "%08x", cddb_disc_get_discid(disc));
    WriteRecord(dir_.path(), "misc", id,
                MakeRecord(id, {150, 21052}, 600,
                           "Bj\xc3\xb6rk / D\xc3\xa9"
                           "but",
                           {"Human Behaviour", "Crying"}));

    const int found = cddb_query(connection, disc);
    EXPECT_EQ(found, 1) << cddb_error_str(cddb_errno(connection));
    EXPECT_STREQ(cddb_disc_get_category_str(disc), "misc");
    ASSERT_EQ(cddb_read(connection, disc), 1) << cddb_error_str(cddb_errno(connection));
    EXPECT_STREQ(cddb_disc_get_artist(disc), "Bj\xc3\xb6rk");
    EXPECT_STREQ(cddb_disc_get_title(disc),
                 "D\xc3\xa9"
                 "but");
    EXPECT_EQ(cddb_disc_get_year(disc), 2001u);
    ASSERT_EQ(cddb_disc_get_track_count(disc), 2);
    EXPECT_STREQ(cddb_track_get_title(cddb_disc_get_track(disc, 1)), "Crying");
    cddb_disc_destroy(disc);
    cddb_destroy(connection);
}
#else
TEST_F(Cddbd, LibcddbReadsARecordBack) {
    GTEST_SKIP() << "libcddb was not found when the build was configured";
}
#endif

}  // namespace
}  // namespace corvane
