#include <gtest/gtest.h>
#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "components/ComponentLoader.h"
#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

// Loads the real Settings.so with a QApplication on the offscreen platform,
// in a temporary current directory.
class SettingsComponentTest : public test::WidgetTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(test::BinDir().empty());
        ASSERT_NE(::getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
        ComponentLoader loader(test::BinDir());
        settings_ = loader.LoadSettings(nullptr);
        ASSERT_NE(settings_, nullptr) << loader.Error() << " " << loader.Detail();
    }

    void TearDown() override {
        settings_.reset();
        if (previous_[0] != '\0') {
            ASSERT_EQ(::chdir(previous_), 0);
        }
    }

    // Runs DoModal; action gets the dialog once it shows.
    int RunDialog(const std::function<void(QDialog&)>& action) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            ran = true;
            action(*dialog);
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        const int result = settings_->DoModal();
        EXPECT_TRUE(ran) << "no modal dialog appeared";
        return result;
    }

    template <class T>
    static T* Child(QDialog& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    static QPushButton* Ok(QDialog& dialog) {
        return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    }

    test::TempDir dir_;
    char previous_[4096] = {};
    SettingsPtr settings_;
};

TEST_F(SettingsComponentTest, StartsWithDefaultsThenSavesAndLoadsTheIniFile) {
    SettingsValues defaults;
    defaults.iniPath = dir_.File("Corvane Mp3.ini");
    EXPECT_EQ(settings_->values, defaults);

    // What the file holds is the INI tests' business; here that the component writes and reads it.
    settings_->values.lastFolder = "/music/album";
    settings_->values.fileColumns[4] = false;
    const SettingsValues saved = settings_->values;
    settings_->SaveToIni();
    settings_->values.lastFolder = "changed";
    settings_->LoadFromIni();
    EXPECT_EQ(settings_->values, saved);
}

TEST_F(SettingsComponentTest, OkTakesTheUsersValuesAndMarksConfigured) {
    settings_->values.windowWidth = 800;  // not in the dialog: must survive
    const int result = RunDialog([](QDialog& dialog) {
        Child<QCheckBox>(dialog, "showSplash")->setChecked(false);
        Child<QCheckBox>(dialog, "autoQuery")->setChecked(true);
        Child<QCheckBox>(dialog, "createPlaylist")->setChecked(false);
        Child<QCheckBox>(dialog, "fileColumn9")->setChecked(false);      // "Structure"
        Child<QCheckBox>(dialog, "databaseColumn0")->setChecked(false);  // "Track"
        Child<QLineEdit>(dialog, "proxyHost")->setText("proxy.lan");
        Child<QSpinBox>(dialog, "proxyPort")->setValue(3128);
        Child<QLineEdit>(dialog, "cddbEmail")->setText("ann@example.org");
        Child<QLineEdit>(dialog, "cddbServer")->setText("cddb.lan:8880");
        Child<QComboBox>(dialog, "cddbProtocolLevel")->setCurrentIndex(1);
        Child<QLineEdit>(dialog, "musicbrainzServer")->setText("http://mb.lan:5000");
        Child<QCheckBox>(dialog, "askMusicBrainz")->setChecked(false);
        QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    SettingsValues expected;
    expected.iniPath = dir_.File("Corvane Mp3.ini");
    expected.configured = true;
    expected.showSplash = false;
    expected.autoQuery = true;
    expected.createPlaylist = false;
    expected.fileColumns[9] = false;
    expected.databaseColumns[0] = false;
    expected.proxyHost = "proxy.lan";
    expected.proxyPort = 3128;
    expected.cddbEmail = "ann@example.org";
    expected.cddbServer = "cddb.lan:8880";
    expected.cddbProtocolLevel = 6;
    expected.musicbrainzServer = "http://mb.lan:5000";
    expected.askMusicBrainz = false;
    expected.windowWidth = 800;
    EXPECT_EQ(settings_->values, expected);
    // Written at once, so that a crash of the window loses nothing.
    SettingsValues fromFile;
    ASSERT_TRUE(LoadSettingsFile(expected.iniPath, fromFile));
    fromFile.iniPath = expected.iniPath;
    EXPECT_EQ(fromFile, expected);
}

TEST_F(SettingsComponentTest, DialogShowsTheCurrentValuesAndCancelKeepsThem) {
    settings_->values.autoQuery = true;
    settings_->values.databaseColumns[5] = false;
    settings_->values.proxyPort = 8080;
    settings_->values.cddbProtocolLevel = 6;
    const SettingsValues before = settings_->values;
    const int result = RunDialog([](QDialog& dialog) {
        EXPECT_TRUE(Child<QCheckBox>(dialog, "autoQuery")->isChecked());
        EXPECT_FALSE(Child<QCheckBox>(dialog, "databaseColumn5")->isChecked());
        EXPECT_EQ(Child<QSpinBox>(dialog, "proxyPort")->value(), 8080);
        EXPECT_EQ(Child<QComboBox>(dialog, "cddbProtocolLevel")->currentData().toInt(), 6);
        Child<QCheckBox>(dialog, "showSplash")->setChecked(false);
        Child<QLineEdit>(dialog, "proxyHost")->setText("proxy.lan");
        dialog.reject();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(settings_->values, before);
    EXPECT_FALSE(std::filesystem::exists(before.iniPath));
}

// Invalid entries keep OK disabled; the confirmation only applies when
// dependencies move; an empty server means the default one.
TEST_F(SettingsComponentTest, ControlsCheckAndFollowEachOther) {
    settings_->values.cddbServer = "other.example:8880";
    RunDialog([](QDialog& dialog) {
        auto* server = Child<QLineEdit>(dialog, "cddbServer");
        auto* email = Child<QLineEdit>(dialog, "cddbEmail");
        EXPECT_TRUE(Ok(dialog)->isEnabled());
        server->setText("host:");
        EXPECT_FALSE(Ok(dialog)->isEnabled());
        server->setText("host:99999");
        EXPECT_FALSE(Ok(dialog)->isEnabled());
        server->setText("host:8880");
        EXPECT_TRUE(Ok(dialog)->isEnabled());
        email->setText("nobody");
        EXPECT_FALSE(Ok(dialog)->isEnabled());
        email->setText("nobody@example.org");
        EXPECT_TRUE(Ok(dialog)->isEnabled());
        auto* musicbrainz = Child<QLineEdit>(dialog, "musicbrainzServer");
        musicbrainz->setText("https:/");
        EXPECT_FALSE(Ok(dialog)->isEnabled());
        musicbrainz->setText("https://mb.lan");
        EXPECT_TRUE(Ok(dialog)->isEnabled());
        // Typing a blank into the server is refused by its validator.
        server->setFocus();
        server->end(false);
        QTest::keyClick(server, Qt::Key_Space);
        EXPECT_EQ(server->text(), "host:8880");

        auto* move = Child<QCheckBox>(dialog, "moveDependencies");
        auto* confirm = Child<QCheckBox>(dialog, "confirmDependencies");
        move->setChecked(true);
        EXPECT_TRUE(confirm->isEnabled());
        move->setChecked(false);
        EXPECT_FALSE(confirm->isEnabled());
        server->clear();
        QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(settings_->values.cddbServer, SettingsValues{}.cddbServer);
}

TEST_F(SettingsComponentTest, ParentWindowMayGoFirst) {
    auto* parent = new QWidget;
    ComponentLoader loader(test::BinDir());
    SettingsPtr settings = loader.LoadSettings(parent);
    ASSERT_NE(settings, nullptr);
    delete parent;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown = true;
            qobject_cast<QDialog*>(modal)->reject();
        }
    });
    EXPECT_EQ(settings->DoModal(), QDialog::Rejected);
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace corvane
