#include "naming/NameFormatList.h"

#include <gtest/gtest.h>

#include "naming/CaseConversion.h"
#include "naming/NameFormat.h"
#include "platform/MemoryComboBox.h"

namespace corvane {
namespace {

class NameFormatListTest : public ::testing::Test {
protected:
    void SetUp() override {
        formats.SetFormatCombo(&formatCombo);
        formats.SetCaseCombo(&caseCombo);
        for (const char* mode : kCaseModes) {
            caseCombo.InsertLast(mode);
        }
        caseCombo.Select(0);
    }

    void Load(const std::vector<std::string>& templates, const std::string& selected) {
        SettingsValues settings;
        settings.userFormats = templates;
        settings.nameFormat = selected;
        formats.ClearNameFormats();
        formats.LoadNameFormats(settings);
    }

    MemoryComboBox formatCombo;
    MemoryComboBox caseCombo;
    NameFormatList formats;
};

TEST_F(NameFormatListTest, LoadsTemplatesSortedWithMoreLast) {
    Load({"%0 - %2", "%0 - [%4] - %2", "(%1) - %0 - %2"}, "%0 - [%4] - %2");
    EXPECT_EQ(formatCombo.Items(),
              (std::vector<std::string>{"(Artist) - Track# - Title", "Track# - [Album] - Title",
                                        "Track# - Title", kMoreFormatsItem}));
    EXPECT_EQ(formatCombo.SelectedText(), "Track# - [Album] - Title");
    EXPECT_EQ(formats.CurrentTemplate(), "%0 - [%4] - %2");
    // An unknown remembered template leaves the last added one selected.
    Load({"%0 - %2", "%1 - %2"}, "%7 %8");
    EXPECT_EQ(formatCombo.SelectedText(), "Artist - Title");
}

TEST_F(NameFormatListTest, AddingSelectsTheNewEntryUnlessItsNameExists) {
    Load({"%0 - %2"}, "%0 - %2");
    formats.AddNameFormat("Track# - Title", "%0 -- %2");
    ASSERT_EQ(formats.Entries().size(), 1u);
    EXPECT_EQ(formats.TemplateForName("Track# - Title"), "%0 - %2");
    formats.AddNameFormat("Artist - Title", "%1 - %2");
    EXPECT_EQ(formatCombo.Items(),
              (std::vector<std::string>{"Artist - Title", "Track# - Title", kMoreFormatsItem}));
    EXPECT_EQ(formats.CurrentTemplate(), "%1 - %2");
}

TEST_F(NameFormatListTest, RemovingTheSelectedEntryFallsBackToTheDefault) {
    Load({"%0 - %2", "%1 - %2"}, "%1 - %2");
    formats.RemoveNameFormat("Artist - Title");
    EXPECT_EQ(formatCombo.Items(), (std::vector<std::string>{"Track# - Title", kMoreFormatsItem}));
    EXPECT_EQ(formats.CurrentTemplate(), kDefaultNameFormat);
    // What is stored follows the list.
    formats.AddNameFormat("Album Title", "%4 %2");
    SettingsValues settings;
    formats.StoreNameFormats(settings);
    EXPECT_EQ(settings.userFormats, (std::vector<std::string>{"%0 - %2", "%4 %2"}));
}

TEST_F(NameFormatListTest, FallsBackToTheDefaultTemplate) {
    Load({"%1 - %2", "X"}, "%1 - %2");
    formatCombo.Select(static_cast<int>(formatCombo.Items().size()) - 1);  // " More..."
    EXPECT_EQ(formats.CurrentTemplate(), "%0 - %2");
    formatCombo.SelectPrefix("X");  // a template too short to be one
    EXPECT_EQ(formats.CurrentTemplate(), "%0 - %2");
    EXPECT_EQ(NameFormatList().CurrentTemplate(), "%0 - %2");
}

TEST_F(NameFormatListTest, BuildsNamesWithTheSelectedTemplateAndCase) {
    Load({"%0 - %2", "(%1) - %0 - %2"}, "%0 - %2");
    TrackInfo record;
    record.track = "7";
    record.title = "Help";
    record.artist = "the beatles";
    EXPECT_EQ(formats.BuildFileName(record), "07 - Help.mp3");
    formatCombo.SelectPrefix("(Artist)");
    caseCombo.SelectPrefix(kCaseCapitalized);
    EXPECT_EQ(formats.BuildFileName(record), "(The Beatles) - 07 - Help.mp3");
}

}  // namespace
}  // namespace corvane
