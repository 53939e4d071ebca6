#include <gtest/gtest.h>

#include <random>

#include "cddb/CddbAgent.h"
#include "cddb/ScriptedServer.h"
#include "platform/MemoryComboBox.h"

namespace corvane {
namespace {

using test::HttpOk;
using test::ScriptedServer;

const OffsetList kOffsets{{0, 2, 0}, {3, 0, 0}};

std::string Garbage(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

// Every command against the same answer: none may crash or succeed wrongly.
void RunAllCommands(CddbAgent& agent, int port) {
    agent.SetSite("127.0.0.1", port);
    agent.SetDefaultServer("127.0.0.1", port);
    std::string text;
    agent.GetMotd(text);
    agent.Lookup(0x01020304, kOffsets);
    agent.ReadRecord(0x01020304, "rock");
    MemoryComboBox combo;
    agent.FillSiteCombo(combo);
    TrackList tracks;
    agent.BuildTrackList(tracks);
}

TEST(HostileServer, BinaryGarbageNeverCrashes) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        const std::string noise = Garbage(3000 * seed, seed);
        ScriptedServer raw(noise + "\r\n.\r\n");
        ScriptedServer wrapped(HttpOk("210 " + noise + "\r\n.\r\n"));
        CddbAgent agent;
        agent.SetTimeouts(300, 2000);
        RunAllCommands(agent, raw.Port());
        RunAllCommands(agent, wrapped.Port());
        EXPECT_FALSE(agent.ReadRecord(1, "rock"));
        EXPECT_EQ(agent.ErrorCode(), 10043);
    }
}

TEST(HostileServer, HugeAnswerStopsAtTheLimit) {
    const std::string huge = HttpOk("210 motd\r\n" + std::string(10 * 1024 * 1024, 'x'));
    ScriptedServer server(huge + "\r\n.\r\n");
    CddbAgent agent;
    agent.SetSite("127.0.0.1", server.Port());
    std::string text;
    EXPECT_FALSE(agent.GetMotd(text));
    EXPECT_EQ(agent.ErrorCode(), 10043);
    EXPECT_LE(agent.LastAnswer().size(),
              CddbClient::kMaxAnswerBytes + CddbClient::kInitialBufferSize);
}

}  // namespace
}  // namespace corvane
