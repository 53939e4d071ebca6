// The road by sound against the local stand-in: untagged files named in
// another order than the album's, re-encoded at another bitrate than the
// fingerprints the stand-in knows, one of them known to no one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>

#include "album/AlbumFolder.h"
#include "association/Association.h"
#include "cddb/CddbAgent.h"
#include "cddb/ServerProcess.h"
#include "components/SettingsValues.h"
#include "lookup/LookupView.h"
#include "lookup/LookupWorkflow.h"
#include "platform/MemoryComboBox.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using nlohmann::json;

class View : public LookupView {
public:
    void AddStatus(const std::string& text) override { status.push_back(text); }
    void EnableQuery(bool) override {}
    void EnableExecute(bool) override {}
    std::string ExecuteCaption() const override { return "&Rename Files"; }
    void SetBusy(bool) override {}
    TrackCountAnswer AskTrackCount(bool, bool) override { return TrackCountAnswer::kCancelQuery; }
    void ShowDatabaseList() override {}
    void ClearDatabaseList() override {}
    bool RunAssociation() override { return ++associations > 0; }

    std::vector<std::string> status;
    int associations = 0;
};

// A melody of half-second notes chosen by seed, as 16-bit stereo WAV, then
// encoded by lame at the bitrate given.
std::string MakeSong(const std::string& dir, const std::string& name, int seconds, unsigned seed,
                     const char* bitrate) {
    const std::string wav = dir + "/" + name + ".wav";
    const int rate = 44100;
    const std::uint32_t bytes = static_cast<std::uint32_t>(seconds * rate * 4);
    std::string data = "RIFF" + std::string(4, '\0') + "WAVEfmt ";
    const auto put = [&data](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            data += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    put(16, 4), put(1, 2), put(2, 2), put(rate, 4), put(rate * 4, 4), put(4, 2), put(16, 2);
    data += "data", put(bytes, 4);
    std::uint32_t state = seed * 2654435761u + 1;
    double freq = 0;
    for (int i = 0; i < seconds * rate; ++i) {
        if (i % (rate / 2) == 0) {
            state = state * 1664525u + 1013904223u;
            freq = 220.0 * std::pow(2.0, static_cast<double>(state >> 28) / 12.0);
        }
        const auto v = static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * freq * i / rate));
        put(static_cast<std::uint16_t>(v), 2), put(static_cast<std::uint16_t>(v), 2);
    }
    data.replace(4, 4,
                 std::string{static_cast<char>((data.size() - 8) & 0xFF),
                             static_cast<char>(((data.size() - 8) >> 8) & 0xFF),
                             static_cast<char>(((data.size() - 8) >> 16) & 0xFF),
                             static_cast<char>((data.size() - 8) >> 24)});
    const std::string mp3 = dir + "/" + name;
    if (!test::WriteFileBytes(wav, data) ||
        test::RunProcess({"lame", "--quiet", "-b", bitrate, wav, mp3}) != 0) {
        return {};
    }
    std::remove(wav.c_str());
    return mp3;
}

std::string Id(int n) {
    return "00000000-0000-4000-8000-00000000000" + std::to_string(n);
}

TEST(SoundLookup, FindsTheAlbumAndPairsEachFileWithItsOwnTrack) {
    test::TempDir root;
    test::TempDir music;
    std::filesystem::create_directories(root.path() + "/acoustid");
    std::filesystem::create_directories(root.path() + "/musicbrainz/release");
    std::filesystem::create_directories(root.path() + "/misc");
    ComponentLoader loader(test::BinDir());
    Mp3InfoPtr mp3 = loader.LoadMp3Info();
    ASSERT_TRUE(mp3) << loader.Error();

    // Track t (1..4) is seed t, 12 + 2t seconds long; track 4 is known to
    // MusicBrainz but its sound to no one.
    json tracks = json::array();
    for (int t = 1; t <= 4; ++t) {
        const std::string reference =
            MakeSong(root.path(), "ref" + std::to_string(t) + ".mp3", 12 + 2 * t, t, "192");
        ASSERT_FALSE(reference.empty());
        std::string fingerprint;
        int seconds = 0;
        ASSERT_EQ(mp3->GetFingerprint(reference, fingerprint, seconds), 0);
        const json recording = {{"id", Id(t)}, {"title", "Song " + std::to_string(t)}};
        tracks.push_back({{"position", t},
                          {"title", recording["title"]},
                          {"length", seconds * 1000},
                          {"recording", recording}});
        if (t < 4) {
            json release = {{"id", Id(9)},
                            {"track_count", 4},
                            {"medium_count", 1},
                            {"mediums", {{{"position", 1}, {"tracks", {{{"position", t}}}}}}}};
            json known = {{"fingerprint", fingerprint}, {"recordings", {recording}}};
            known["recordings"][0]["releasegroups"] = {{{"id", "g"}, {"releases", {release}}}};
            std::ofstream(root.path() + "/acoustid/" + std::to_string(t) + ".json") << known;
        }
    }
    std::ofstream(root.path() + "/musicbrainz/release/" + Id(9) + ".json")
        << json{{"id", Id(9)},
                {"title", "Heard"},
                {"artist-credit", {{{"name", "Band"}}}},
                {"media", {{{"position", 1}, {"tracks", tracks}}}}};
    // The folder: file k holds the audio of track order[k], at 96 kbit/s.
    const int order[] = {3, 1, 4, 2};
    for (int k = 0; k < 4; ++k) {
        ASSERT_FALSE(MakeSong(music.path(), "track0" + std::to_string(k + 1) + ".mp3",
                              12 + 2 * order[k], order[k], "96")
                         .empty());
    }
    test::ServerProcess server(root.path());
    ASSERT_GT(server.Port(), 0);

    AlbumFolder album;
    ASSERT_EQ(ScanFolder(album, music.path(), *mp3), 4);
    View view;
    CddbAgent agent;
    MemoryComboBox combo;
    LookupWorkflow workflow(album, agent, combo, view);
    SettingsValues settings;
    settings.cddbServer = "127.0.0.1:" + std::to_string(server.Port());
    settings.musicbrainzServer = "http://" + settings.cddbServer;
    settings.acoustidServer = settings.musicbrainzServer;
    workflow.Configure(settings);
    workflow.InitServerCombo();

    // Without a key the step says so and the road goes on.
    EXPECT_FALSE(workflow.QueryCommand());
    EXPECT_NE(std::find(view.status.begin(), view.status.end(),
                        "No AcoustID application key is set (Settings, Network): the files "
                        "are not identified by sound."),
              view.status.end());

    settings.acoustidKey = "test";
    workflow.Configure(settings);
    view.status.clear();
    ASSERT_TRUE(workflow.QueryCommand());
    EXPECT_TRUE(workflow.FoundBySound());
    EXPECT_EQ(view.associations, 1);  // the pairing is shown for checking
    EXPECT_NE(std::find(view.status.begin(), view.status.end(),
                        "Found \"Band / Heard\" by sound: 3 of 4 files named their track."),
              view.status.end());
    ASSERT_EQ(album.tracks.size(), 4u);

    // By sound for three, by play time for the file nobody knows.
    Association association(album.files, album.tracks);
    association.AutoAssociate();
    for (const AssociatedPair& pair : AssociatedPairs(
             association.FileRows(), association.TitleRows(), album.files, album.tracks)) {
        EXPECT_EQ(pair.track + 1, order[pair.file]) << album.files[pair.file].fileName;
    }
    EXPECT_EQ(
        AssociatedPairs(association.FileRows(), association.TitleRows(), album.files, album.tracks)
            .size(),
        4u);
}

}  // namespace
}  // namespace corvane
