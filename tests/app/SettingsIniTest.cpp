#include "settings/SettingsIni.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <tuple>

#include "support/TestSupport.h"

namespace corvane {
namespace {

// Every value away from its default, texts with the characters INI files
// usually lose.
SettingsValues Unusual() {
    SettingsValues v;
    v.configured = 1;
    v.showSplash = 0;
    v.autoQuery = 1;
    v.showStatusList = 0;
    v.moveDependencies = 0;
    v.confirmDependencies = 0;
    v.fileColumns = {0, 1, 0, 1, 0, 1, 0, 1, 0, 0};
    v.databaseColumns = {0, 0, 1, 0, 1, 0};
    v.proxyHost = "  proxy.example.org ";
    v.proxyPort = 3128;
    v.windowWidth = 1024;
    v.windowHeight = 700;
    v.windowMaximized = 1;
    v.lastFolder = " /home/ann/Musik/Björk; \"Live\" = 100% \\ raw \xff\xfe end ";
    v.createPlaylist = 0;
    v.createDirectory = 0;
    v.userFormats = {"%0 - %2", "[%1] = %2 ; 100%", "line\nbreak\ttab", "日本語 %3"};
    v.nameFormat = "  %1 = %2  ";
    v.cddbEmail = "ann@example.org";
    v.cddbProtocolLevel = 6;
    v.cddbServer = "cddb.example.org:8880";
    v.askMusicBrainz = false;
    v.musicbrainzServer = "http://mb.lan:5000/mirror";
    return v;
}

// Every value but iniPath, which the file does not hold.
auto Fields(const SettingsValues& v) {
    return std::tie(v.configured, v.showSplash, v.autoQuery, v.showStatusList, v.moveDependencies,
                    v.confirmDependencies, v.fileColumns, v.databaseColumns, v.proxyHost,
                    v.proxyPort, v.windowWidth, v.windowHeight, v.windowMaximized, v.lastFolder,
                    v.createPlaylist, v.createDirectory, v.userFormats, v.nameFormat, v.cddbEmail,
                    v.cddbProtocolLevel, v.cddbServer, v.askMusicBrainz, v.musicbrainzServer);
}

void ExpectSame(const SettingsValues& a, const SettingsValues& b) {
    EXPECT_EQ(Fields(a), Fields(b));
}

TEST(SettingsIni, EveryValueSurvivesSaveAndLoad) {
    const SettingsValues original = Unusual();
    ExpectSame(SettingsFromIniText(SettingsToIniText(original)), original);
    // And the defaults too.
    ExpectSame(SettingsFromIniText(SettingsToIniText(SettingsValues{})), SettingsValues{});
}

TEST(SettingsIni, FileIsReadableAndValidUtf8) {
    const std::string text = SettingsToIniText(Unusual());
    EXPECT_NE(text.find("[FileColumns]\nPlaytime=0\nTrack=1\n"), std::string::npos);
    EXPECT_NE(text.find("userFormat2=\"[%1] = %2 ; 100%\"\n"), std::string::npos);
    EXPECT_NE(text.find("Björk"), std::string::npos);
    EXPECT_NE(text.find("\\xFF\\xFE"), std::string::npos);
    EXPECT_EQ(text.find('\t'), std::string::npos);
}

TEST(SettingsIni, EmptyOrForeignTextGivesDefaults) {
    ExpectSame(SettingsFromIniText(""), SettingsValues{});
    ExpectSame(SettingsFromIniText("just some words\n= = =\n[[[\n\0\0"), SettingsValues{});
    ExpectSame(SettingsFromIniText("showSplash=0\n"), SettingsValues{});  // outside any section
}

TEST(SettingsIni, HandEditedFileIsReadLeniently) {
    const std::string text =
        "\xEF\xBB\xBF; my settings\r\n"
        "  [ general ]  \r\n"
        "SHOWSPLASH = no\r\n"
        "autoQuery=yes\n"
        "lastFolder = /srv/music/Album  \n"
        "# a comment\n"
        "[Proxy]\n"
        "host=cache\n"
        "port=+8080\n"
        "[Formats]\n"
        "userFormat10=\"ten\"\n"
        "userFormat2=two\n"
        "userFormatX=ignored\n"
        "[Unknown]\n"
        "showSplash=1\n";
    const SettingsValues v = SettingsFromIniText(text);
    EXPECT_EQ(v.showSplash, 0);
    EXPECT_EQ(v.autoQuery, 1);
    EXPECT_EQ(v.lastFolder, "/srv/music/Album");
    EXPECT_EQ(v.proxyHost, "cache");
    EXPECT_EQ(v.proxyPort, 8080);
    EXPECT_EQ(v.userFormats, (std::vector<std::string>{"two", "ten"}));
    EXPECT_EQ(v.showStatusList, 1);  // missing: default
    // An empty [Formats] section means no formats; no section means the presets.
    EXPECT_EQ(SettingsFromIniText("[Formats]\n").userFormats, std::vector<std::string>{});
    EXPECT_EQ(SettingsFromIniText("[General]\n").userFormats, SettingsValues{}.userFormats);
}

TEST(SettingsIni, OutOfRangeNumbersAreClampedOrDefaulted) {
    const std::string text =
        "[Cddb]\nprotocolLevel=4\nserver=bad host:99\n[MusicBrainz]\nserver=ftp://mb.lan\n"
        "[Proxy]\nport=70000\n"
        "[Window]\nwidth=-5\nheight=99999999999999999999\nmaximized=7\n"
        "[General]\nconfigured=255\nshowSplash=maybe\n";
    const SettingsValues v = SettingsFromIniText(text);
    EXPECT_EQ(v.cddbProtocolLevel, 5);
    EXPECT_EQ(v.cddbServer, SettingsValues{}.cddbServer);
    EXPECT_EQ(v.musicbrainzServer, SettingsValues{}.musicbrainzServer);
    EXPECT_EQ(v.proxyPort, 80);
    EXPECT_EQ(v.windowWidth, 0);
    EXPECT_EQ(v.windowHeight, 0);
    EXPECT_EQ(v.windowMaximized, 1);
    EXPECT_EQ(v.configured, 1);
    EXPECT_EQ(v.showSplash, 1);
    EXPECT_EQ(SettingsFromIniText("[Cddb]\nprotocolLevel=9\n").cddbProtocolLevel, 6);
    EXPECT_EQ(SettingsFromIniText("[Proxy]\nport=0\n").proxyPort, 80);
    EXPECT_EQ(SettingsFromIniText("[Cddb]\nserver=\"freedb.org\"\n").cddbServer, "freedb.org");
    EXPECT_EQ(SettingsFromIniText("[General]\nnameFormat=\"\"\n").nameFormat,
              SettingsValues{}.nameFormat);
}

TEST(SettingsIni, ServerTextIsHostWithOptionalPort) {
    for (const char* good : {"gnudb.gnudb.org", "127.0.0.1:65535"}) {
        EXPECT_TRUE(IsCddbServerText(good)) << good;
    }
    for (const char* bad :
         {"", "host:", ":80", "host:0", "host:65536", "host:+80", "http://host", "a b"}) {
        EXPECT_FALSE(IsCddbServerText(bad)) << bad;
    }
}

TEST(SettingsIni, TruncatedFileKeepsWhatCameBefore) {
    const std::string full = SettingsToIniText(Unusual());
    // A value cut inside its quotes is dropped, not taken half.
    const std::string cut = full.substr(0, full.find("lastFolder=") + 20);
    const SettingsValues v = SettingsFromIniText(cut);
    EXPECT_EQ(v.showSplash, 0);
    EXPECT_EQ(v.lastFolder, "-");
    // Every cut point loads without harm.
    for (std::size_t size = 0; size <= full.size(); size += 7) {
        SettingsFromIniText(full.substr(0, size));
    }
}

TEST(SettingsIni, RandomBytesNeverBreakTheReader) {
    std::mt19937 random(7);
    const std::string sample = SettingsToIniText(Unusual());
    for (int round = 0; round < 300; ++round) {
        std::string text = sample;
        for (int n = 0; n < 20; ++n) {
            text[random() % text.size()] = static_cast<char>(random() % 256);
        }
        const SettingsValues v = SettingsFromIniText(text);
        EXPECT_TRUE(v.cddbProtocolLevel == 5 || v.cddbProtocolLevel == 6);
        EXPECT_GE(v.proxyPort, 1);
        EXPECT_LE(v.proxyPort, 65535);
    }
}

TEST(SettingsIni, FileSaveIsAtomicAndLoadKeepsIniPath) {
    test::TempDir dir;
    const std::string path = dir.File("Corvane Mp3.ini");
    ASSERT_EQ(SaveSettingsFile(path, Unusual()), 0);
    SettingsValues loaded;
    loaded.iniPath = path;
    ASSERT_TRUE(LoadSettingsFile(path, loaded));
    ExpectSame(loaded, Unusual());
    EXPECT_EQ(loaded.iniPath, path);
    // Only the file itself is left: the temporary one was renamed over it.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(SettingsIni, MissingFileGivesDefaultsAndAMissingFolderAnError) {
    test::TempDir dir;
    SettingsValues values = Unusual();
    values.iniPath = dir.File("none.ini");
    EXPECT_FALSE(LoadSettingsFile(values.iniPath, values));
    ExpectSame(values, SettingsValues{});
    EXPECT_EQ(values.iniPath, dir.File("none.ini"));
    EXPECT_FALSE(LoadSettingsFile(dir.path(), values));  // a folder is no file
    EXPECT_NE(SaveSettingsFile(dir.File("missing/Corvane Mp3.ini"), SettingsValues{}), 0);
}

}  // namespace
}  // namespace corvane
