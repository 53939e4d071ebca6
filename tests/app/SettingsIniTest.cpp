#include "settings/SettingsIni.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

#include "support/TestSupport.h"

namespace corvane {
namespace {

// Every value away from its default, texts with the characters INI files
// usually lose.
SettingsValues Unusual() {
    return {.configured = 1,
            .showSplash = 0,
            .autoQuery = 1,
            .showStatusList = 0,
            .moveDependencies = 0,
            .confirmDependencies = 0,
            .fileColumns = {0, 1, 0, 1, 0, 1, 0, 1, 0, 0},
            .databaseColumns = {0, 0, 1, 0, 1, 0},
            .proxyHost = "  proxy.example.org ",
            .proxyPort = 3128,
            .windowWidth = 1024,
            .windowHeight = 700,
            .windowMaximized = 1,
            .lastFolder = " /home/ann/Musik/Björk; \"Live\" = 100% \\ raw \xff\xfe end ",
            .createPlaylist = 0,
            .createDirectory = 0,
            .recentFolders = {"/music/b", " /music/a; \"x\" "},
            .userFormats = {"%0 - %2", "[%1] = %2 ; 100%", "line\nbreak\ttab", "日本語 %3"},
            .nameFormat = "  %1 = %2  ",
            .caseMode = "Upper Case",
            .cddbEmail = "ann@example.org",
            .cddbProtocolLevel = 5,
            .cddbServer = "cddb.example.org:8880",
            .searchHost = "www.freedb.example:8080",
            .askMusicBrainz = false,
            .musicbrainzServer = "http://mb.lan:5000/mirror",
            .acoustidKey = "Ab-12_x.y",
            .acoustidServer = "http://127.0.0.1:9/acoustid",
            .iniPath = {}};
}

// Every value but iniPath, which the file does not hold.
auto Fields(const SettingsValues& v) {
    return std::tie(v.configured, v.showSplash, v.autoQuery, v.showStatusList, v.moveDependencies,
                    v.confirmDependencies, v.fileColumns, v.databaseColumns, v.proxyHost,
                    v.proxyPort, v.windowWidth, v.windowHeight, v.windowMaximized, v.lastFolder,
                    v.createPlaylist, v.createDirectory, v.userFormats, v.nameFormat, v.caseMode,
                    v.cddbEmail, v.cddbProtocolLevel, v.cddbServer, v.searchHost, v.askMusicBrainz,
                    v.musicbrainzServer, v.acoustidKey, v.acoustidServer);
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

TEST(SettingsIni, HandEditedFileIsReadLeniently) {
    const SettingsValues v = SettingsFromIniText(
        "\xEF\xBB\xBF; my settings\r\n  [ general ]  \r\nSHOWSPLASH = no\r\nautoQuery=yes\n"
        "lastFolder = /srv/music/Album  \n# a comment\n[Proxy]\nhost=cache\nport=+8080\n"
        "[Formats]\nuserFormat10=\"ten\"\nuserFormat2=two\nuserFormatX=ignored\n"
        "[Unknown]\nshowSplash=1\n");
    // showStatusList is missing: its default.
    EXPECT_EQ(std::tie(v.showSplash, v.autoQuery, v.showStatusList, v.lastFolder, v.proxyHost,
                       v.proxyPort, v.userFormats),
              std::tuple(0, 1, 1, "/srv/music/Album", "cache", 8080,
                         std::vector<std::string>{"two", "ten"}));
    // An empty [Formats] section means no formats; no section means the presets.
    EXPECT_EQ(SettingsFromIniText("[Formats]\n").userFormats, std::vector<std::string>{});
    EXPECT_EQ(SettingsFromIniText("[General]\n").userFormats, SettingsValues{}.userFormats);
    // Text that is no INI file, or values outside any section, give the defaults.
    ExpectSame(SettingsFromIniText("just some words\n= = =\n[[[\n\0\0"), SettingsValues{});
    ExpectSame(SettingsFromIniText("showSplash=0\n"), SettingsValues{});
}

TEST(SettingsIni, OutOfRangeNumbersAreClampedOrDefaulted) {
    const SettingsValues v = SettingsFromIniText(
        "[Cddb]\nprotocolLevel=4\nserver=bad host:99\n[Proxy]\nport=70000\n"
        "[Window]\nwidth=-5\nheight=99999999999999999999\nmaximized=7\n"
        "[General]\nconfigured=255\nshowSplash=maybe\n");
    EXPECT_EQ(std::tie(v.cddbProtocolLevel, v.cddbServer, v.proxyPort, v.windowWidth,
                       v.windowHeight, v.windowMaximized, v.configured, v.showSplash),
              std::tuple(5, SettingsValues{}.cddbServer, 80, 0, 0, 1, 1, 1));
    EXPECT_EQ(SettingsFromIniText("[Cddb]\nprotocolLevel=9\n").cddbProtocolLevel, 6);
    // Level 6 unless the file holds the user's 5.
    EXPECT_EQ(SettingsFromIniText("").cddbProtocolLevel, 6);
    EXPECT_EQ(SettingsFromIniText("[Cddb]\nprotocolLevel=5\n").cddbProtocolLevel, 5);
    EXPECT_EQ(SettingsFromIniText("[General]\ncaseMode=\"Upside Down\"\n").caseMode, "Do nothing");
    EXPECT_EQ(SettingsFromIniText("[Proxy]\nport=0\n").proxyPort, 80);
    EXPECT_EQ(SettingsFromIniText("[Cddb]\nserver=\"freedb.org\"\n").cddbServer, "freedb.org");
    EXPECT_EQ(SettingsFromIniText("[General]\nnameFormat=\"\"\n").nameFormat,
              SettingsValues{}.nameFormat);
    // A key that would break the request's form, a server that is no URL.
    const SettingsValues odd =
        SettingsFromIniText("[AcoustID]\nkey=\"a&b=c\"\nserver=\"api.acoustid.org\"\n");
    EXPECT_EQ(odd.acoustidKey, "");
    EXPECT_EQ(odd.acoustidServer, SettingsValues{}.acoustidServer);
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

TEST(SettingsIni, CutOrDamagedFilesNeverBreakTheReader) {
    const std::string full = SettingsToIniText(Unusual());
    // A value cut inside its quotes is dropped, not taken half.
    const SettingsValues cut = SettingsFromIniText(full.substr(0, full.find("lastFolder=") + 20));
    EXPECT_EQ(cut.showSplash, 0);
    EXPECT_EQ(cut.lastFolder, "-");
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string text = full.substr(0, full.size() * static_cast<std::size_t>(round) / 300);
        for (int n = 0; n < 20 && !text.empty(); ++n) {
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
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
