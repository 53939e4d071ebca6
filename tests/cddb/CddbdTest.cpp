// The local CDDB server is a test tool: one smoke test that the client reads
// a record back from it, and one that an independent client library does.
#include <gtest/gtest.h>

#include <cstdio>

#include "cddb/CddbAgent.h"
#include "cddb/ServerProcess.h"

#ifdef CORVANE_HAVE_LIBCDDB
#include <cddb/cddb.h>
#endif

namespace corvane {
namespace {

using test::MakeRecord;
using test::WriteRecord;

const char* const kDtitle = "Björk / Début";

class Cddbd : public ::testing::Test {
protected:
    void Serve(const std::string& id) {
        WriteRecord(dir_.path(), "misc", id,
                    MakeRecord(id, {150, 21052}, 600, kDtitle, {"Human Behaviour", "Crying"}));
        server_ = std::make_unique<test::ServerProcess>(dir_.path());
        ASSERT_GT(server_->Port(), 0);
    }

    test::TempDir dir_;
    std::unique_ptr<test::ServerProcess> server_;
};

// Sent as Latin-1 at level 5 and UTF-8 at 6; UTF-8 inside either way.
TEST_F(Cddbd, ClientReadsARecordBackAtBothLevels) {
    Serve("0102a002");
    CddbAgent agent;
    agent.SetSite("127.0.0.1", server_->Port());
    for (int level : {5, 6}) {
        agent.SetProtocolLevel(level);
        ASSERT_EQ(agent.Lookup(0x0102a002, {{0, 2, 0}, {4, 40, 52}, {10, 2, 0}}),
                  CddbAgent::LookupResult::kRecordRead)
            << agent.ErrorText();
        EXPECT_EQ(agent.Record().artist + " / " + agent.Record().album, kDtitle);
        EXPECT_EQ(agent.Record().trackTitles,
                  (std::vector<std::string>{"Human Behaviour", "Crying"}));
    }
}

#ifdef CORVANE_HAVE_LIBCDDB
TEST_F(Cddbd, LibcddbReadsARecordBack) {
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
    Serve(id);

    cddb_conn_t* connection = cddb_new();
    ASSERT_NE(connection, nullptr);
    cddb_cache_disable(connection);
    cddb_http_enable(connection);
    cddb_set_server_name(connection, "127.0.0.1");
    cddb_set_server_port(connection, server_->Port());
    cddb_set_http_path_query(connection, "/~cddb/cddb.cgi");
    cddb_set_timeout(connection, 5);
    EXPECT_EQ(cddb_query(connection, disc), 1) << cddb_error_str(cddb_errno(connection));
    EXPECT_STREQ(cddb_disc_get_category_str(disc), "misc");
    ASSERT_EQ(cddb_read(connection, disc), 1) << cddb_error_str(cddb_errno(connection));
    EXPECT_STREQ(cddb_disc_get_artist(disc), "Björk");
    EXPECT_STREQ(cddb_disc_get_title(disc), "Début");
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
