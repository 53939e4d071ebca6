// The local CDDB server is a test tool: one smoke test that the client reads
// a record back from it.
#include <gtest/gtest.h>

#include "cddb/CddbAgent.h"
#include "cddb/ServerProcess.h"

namespace corvane {
namespace {

// Sent as Latin-1 at level 5 and UTF-8 at 6; UTF-8 inside either way.
TEST(Cddbd, ClientReadsARecordBackAtBothLevels) {
    const char* const dtitle = "Björk / Début";
    test::TempDir dir;
    test::WriteRecord(dir.path(), "misc", "0102a002",
                      test::MakeRecord("0102a002", {150, 21052}, 600, dtitle, {"Human", "Crying"}));
    test::ServerProcess server(dir.path());
    ASSERT_GT(server.Port(), 0);
    CddbAgent agent;
    agent.SetSite("127.0.0.1", server.Port());
    for (int level : {5, 6}) {
        agent.SetProtocolLevel(level);
        ASSERT_EQ(agent.Lookup(0x0102a002, {{0, 2, 0}, {4, 40, 52}, {10, 2, 0}}),
                  CddbAgent::LookupResult::kRecordRead)
            << agent.ErrorText();
        EXPECT_EQ(agent.Record().artist + " / " + agent.Record().album, dtitle);
        EXPECT_EQ(agent.Record().trackTitles, (std::vector<std::string>{"Human", "Crying"}));
    }
}

}  // namespace
}  // namespace corvane
