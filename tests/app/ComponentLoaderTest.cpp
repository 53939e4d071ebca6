#include "components/ComponentLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

const std::string kGoodFolder = FAKE_GOOD_DIR;
const std::string kNoExportFolder = FAKE_NOEXPORT_DIR;

// Each component gets what it needs from the loader: the MP3 object its module handle,
// the settings the parent window and the settings file of the current directory.
TEST(ComponentLoader, ComponentsAreMadeWithTheirModuleAndParent) {
    ComponentLoader loader(kGoodFolder);
    Mp3InfoPtr mp3 = loader.LoadMp3Info();
    ASSERT_NE(mp3, nullptr) << loader.Detail();
    EXPECT_EQ(mp3->GetFileType(), "module");
    test::TempDir dir;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    int parent = 0;
    SettingsPtr settings = loader.LoadSettings(&parent);
    std::filesystem::current_path(previous);
    ASSERT_NE(settings, nullptr) << loader.Detail();
    EXPECT_EQ(settings->values.lastFolder, "loaded from " + dir.path() + "/Corvane Mp3.ini");
    EXPECT_EQ(settings->DoModal(), 1);
}

TEST(ComponentLoader, SaveAndReleaseWritesSettingsThenReleasesBoth) {
    test::TempDir dir;
    ComponentLoader loader(kGoodFolder);
    SettingsPtr settings = loader.LoadSettings(nullptr);
    Mp3InfoPtr mp3 = loader.LoadMp3Info();
    ASSERT_TRUE(settings && mp3);
    settings->values.iniPath = dir.File("saved.ini");
    SaveAndReleaseComponents(settings, mp3);
    EXPECT_EQ(settings, nullptr);
    EXPECT_EQ(mp3, nullptr);
    EXPECT_TRUE(std::filesystem::exists(dir.File("saved.ini")));
    SaveAndReleaseComponents(settings, mp3);  // nothing left: no harm
}

// A missing file, a library without the export and a file that is no library
// all give the user the same message.
TEST(ComponentLoader, UnusableComponentsGiveTheUserMessage) {
    test::TempDir empty;
    test::TempDir noLibrary;
    ASSERT_TRUE(test::WriteFileBytes(noLibrary.File("Mp3Info.so"), "not an ELF file"));
    ASSERT_TRUE(test::WriteFileBytes(noLibrary.File("Settings.so"), "not an ELF file"));
    for (const std::string& folder : {empty.path(), kNoExportFolder, noLibrary.path()}) {
        SCOPED_TRACE(folder);
        ComponentLoader loader(folder);
        EXPECT_EQ(loader.LoadMp3Info(), nullptr);
        EXPECT_EQ(loader.Error(), MissingComponentText("Mp3Info.so"));
        EXPECT_EQ(loader.LoadSettings(nullptr), nullptr);
        EXPECT_EQ(loader.Error(), MissingComponentText("Settings.so"));
    }
}

TEST(ComponentLoader, NameWithoutLibrarySuffixIsRefusedSilently) {
    ComponentLoader loader(kGoodFolder);
    void* module = nullptr;
    EXPECT_EQ(loader.LoadExport("Mp3Info.dll", "CreateObject", module), nullptr);
    EXPECT_TRUE(loader.Error().empty());
    EXPECT_EQ(loader.LoadExport("so", "CreateObject", module), nullptr);  // shorter than ".so"
    EXPECT_EQ(module, nullptr);
    // The suffix is compared ignoring case.
    EXPECT_EQ(loader.LoadExport("Missing.SO", "CreateObject", module), nullptr);
    EXPECT_EQ(loader.Error(), MissingComponentText("Missing.SO"));
}

// The build tree has the plug-ins beside the program, an installed tree in
// ../lib/corvane-mp3; a folder whose file does not load is passed over.
TEST(ComponentLoader, EachComponentComesFromTheFirstFolderWhereItLoads) {
    test::TempDir empty;
    ComponentLoader loader({empty.path(), kNoExportFolder, kGoodFolder});
    EXPECT_NE(loader.LoadMp3Info(), nullptr) << loader.Detail();
    EXPECT_NE(loader.LoadSettings(nullptr), nullptr) << loader.Detail();
    EXPECT_TRUE(loader.Error().empty());
    const std::string own = ExecutableDir();
    EXPECT_EQ(ComponentLoader().Folders(),
              (std::vector<std::string>{
                  own, std::filesystem::path(own).parent_path().string() + "/lib/corvane-mp3"}));
}

}  // namespace
}  // namespace corvane
