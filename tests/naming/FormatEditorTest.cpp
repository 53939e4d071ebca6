#include "naming/FormatEditorDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "naming/KeywordEdit.h"
#include "naming/NameFormat.h"
#include "platform/MemoryComboBox.h"
#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

// The colour the edit shows at a position; invalid for plain text.
QColor ColourAt(const KeywordEdit& edit, int position) {
    const QTextBlock block = edit.document()->findBlock(position);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        const int offset = position - block.position();
        if (offset >= range.start && offset < range.start + range.length) {
            return range.format.foreground().color();
        }
    }
    return {};
}

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

TEST_F(FormatEditorTest, TypedKeywordsAreRecasedColouredAndPreviewed) {
    FormatEditorDialog dialog(formats, mainCombo);
    dialog.Open("%1 - %2");
    KeywordEdit* edit = dialog.Editor();
    edit->clear();
    QTest::keyClicks(edit, "title \"track\" 12 //c");
    EXPECT_EQ(edit->Text(), "Title \"track\" 12 //c");
    EXPECT_EQ(ColourAt(*edit, 0), KeywordEdit::kKeywordColor);
    EXPECT_EQ(ColourAt(*edit, 4), KeywordEdit::kKeywordColor);
    EXPECT_FALSE(ColourAt(*edit, 5).isValid());
    EXPECT_EQ(ColourAt(*edit, 6), KeywordEdit::kStringColor);
    EXPECT_EQ(ColourAt(*edit, 12), KeywordEdit::kStringColor);
    EXPECT_EQ(ColourAt(*edit, 14), KeywordEdit::kNumberColor);
    EXPECT_EQ(ColourAt(*edit, 17), KeywordEdit::kCommentColor);
    // The quoted word stays literal text.
    EXPECT_EQ(dialog.EditedTemplate(), "%2 track 12 //c");
    EXPECT_EQ(dialog.ExampleText()->text(), "I Should Have Known Better track 12 __c.mp3");
    EXPECT_TRUE(dialog.SaveButton()->isEnabled());
}

TEST_F(FormatEditorTest, CompletesTheSortedWordsWithTheAddedPartSelected) {
    FormatEditorDialog dialog(formats, mainCombo);
    dialog.Open("%1 - %2");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    KeywordEdit* edit = dialog.Editor();
    struct Case {
        const char* typed;
        const char* text;
        const char* selected;
    };
    const Case cases[] = {
        {"T", "Title", "itle"},     {"Tr", "Track", "ack"},
        {"bit", "Bitrate", "rate"}, {"Year - co", "Year - Comments", "mments"},
        {"Tx", "Tx", ""},
    };
    for (const Case& c : cases) {
        edit->clear();
        QTest::keyClicks(edit, c.typed);
        EXPECT_EQ(edit->Text(), c.text) << c.typed;
        EXPECT_EQ(edit->textCursor().selectedText(), c.selected) << c.typed;
    }
    // Tab takes the completion and keeps the focus.
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, "Ar");
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(edit->Text(), "Artist");
    EXPECT_FALSE(edit->textCursor().hasSelection());
    EXPECT_EQ(edit->textCursor().position(), 6);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(dialog.EditedTemplate(), "%1");
}

TEST_F(FormatEditorTest, RemoveStaysDisabledForThePresets) {
    FormatEditorDialog dialog(formats, mainCombo);
    for (const char* preset : kPresetNameFormats) {
        dialog.Open(preset);
        EXPECT_EQ(dialog.FormatCombo()->currentText().toStdString(), ToDisplayName(preset));
        EXPECT_FALSE(dialog.RemoveButton()->isEnabled()) << preset;
        EXPECT_FALSE(dialog.SaveButton()->isEnabled()) << preset;
    }
    dialog.Open("%0 - %2");
    EXPECT_EQ(dialog.Editor()->Text(), "Track - Title");
    EXPECT_EQ(dialog.ExampleText()->text(), "02 - I Should Have Known Better.mp3");

    dialog.Open("%1 - %2");
    ASSERT_TRUE(dialog.RemoveButton()->isEnabled());
    dialog.OnRemove();
    EXPECT_EQ(formats.Entries().size(), 3u);
    EXPECT_EQ(mainCombo.FindExact("Artist - Title"), -1);
    EXPECT_EQ(dialog.FormatCombo()->count(), 3);
    EXPECT_EQ(dialog.FormatCombo()->findText("Artist - Title"), -1);
}

TEST_F(FormatEditorTest, SaveAddsANewTemplateAndSelectsAnExistingOne) {
    FormatEditorDialog dialog(formats, mainCombo);
    dialog.Open("%1 - %2");
    mainCombo.SelectPrefix("Artist - Title");
    dialog.Editor()->SetText("Track - Title");
    ASSERT_TRUE(dialog.SaveButton()->isEnabled());
    dialog.OnSave();
    EXPECT_EQ(formats.Entries().size(), 4u);
    EXPECT_EQ(mainCombo.SelectedText(), "Track# - Title");
    EXPECT_EQ(dialog.FormatCombo()->currentText(), "Track# - Title");
    EXPECT_FALSE(dialog.RemoveButton()->isEnabled());

    dialog.Editor()->SetText("Artist - Track - Title");
    dialog.OnSave();
    ASSERT_EQ(formats.Entries().size(), 5u);
    EXPECT_EQ(formats.Entries().back().templateText, "%1 - %0 - %2");
    EXPECT_EQ(mainCombo.SelectedText(), "Artist - Track# - Title");
    EXPECT_EQ(mainCombo.Items().back(), kMoreFormatsItem);
    EXPECT_TRUE(dialog.RemoveButton()->isEnabled());
    EXPECT_FALSE(dialog.SaveButton()->isEnabled());

    // Without a keyword there is no template to save.
    dialog.Editor()->SetText("no keyword");
    dialog.OnSave();
    EXPECT_EQ(formats.Entries().size(), 5u);
}

}  // namespace
}  // namespace corvane
