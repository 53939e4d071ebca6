#include "naming/FormatEditorDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "naming/KeywordEdit.h"
#include "naming/NameFormat.h"
#include "platform/MemoryComboBox.h"
#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

class FormatEditorTest : public test::WidgetTest {
protected:
    void SetUp() override {
        formats.SetFormatCombo(&mainCombo);
        SettingsValues settings;
        settings.userFormats.push_back("%1 - %2");
        formats.LoadNameFormats(settings);
    }

    MemoryComboBox mainCombo;
    NameFormatList formats;
};

// Keywords are recased as typed, a quoted word stays literal text; Tab takes a completion.
TEST_F(FormatEditorTest, TypedKeywordsAreRecasedCompletedAndPreviewed) {
    FormatEditorDialog dialog(formats, mainCombo);
    dialog.Open("%1 - %2");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    KeywordEdit* edit = dialog.Editor();
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, "title \"track\" ar");
    QTest::keyClick(edit, Qt::Key_Tab);
    QTest::keyClicks(edit, " 12 //c");
    EXPECT_EQ(edit->Text(), "Title \"track\" Artist 12 //c");
    EXPECT_EQ(dialog.EditedTemplate(), "%2 track %1 12 //c");
    EXPECT_EQ(dialog.ExampleText()->text(), "I Should Have Known Better track Beatles 12 __c.mp3");
}

TEST_F(FormatEditorTest, RemoveStaysDisabledForThePresets) {
    FormatEditorDialog dialog(formats, mainCombo);
    for (const char* preset : kPresetNameFormats) {
        dialog.Open(preset);
        EXPECT_FALSE(dialog.RemoveButton()->isEnabled()) << preset;
    }

    dialog.Open("%1 - %2");
    ASSERT_TRUE(dialog.RemoveButton()->isEnabled());
    dialog.OnRemove();
    EXPECT_EQ(formats.Entries().size(), 3u);
    EXPECT_EQ(mainCombo.FindExact("Artist - Title"), -1);
}

// An existing name is the list's to keep (see its tests); a text without a keyword is no
// template.
TEST_F(FormatEditorTest, SaveAddsANewTemplate) {
    FormatEditorDialog dialog(formats, mainCombo);
    dialog.Open("%1 - %2");
    const std::size_t before = formats.Entries().size();
    dialog.Editor()->SetText("Artist - Track - Title");
    dialog.OnSave();
    ASSERT_EQ(formats.Entries().size(), before + 1);
    EXPECT_EQ(formats.Entries().back().templateText, "%1 - %0 - %2");
    EXPECT_EQ(mainCombo.SelectedText(), "Artist - Track# - Title");
    dialog.Editor()->SetText("no keyword");
    dialog.OnSave();
    EXPECT_EQ(formats.Entries().size(), before + 1);
}

}  // namespace
}  // namespace corvane
