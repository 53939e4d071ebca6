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
#include <functional>
#include <memory>

#include "components/ComponentLoader.h"
#include "settings/SettingsIni.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// One QApplication for the whole run, gone before static teardown.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // No display needed, also when run by hand.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "settings_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Loads the real Settings.so with a QApplication on the offscreen platform,
// in a temporary current directory.
class SettingsComponentTest : public ::testing::Test {
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
    EXPECT_EQ(settings_->values.iniPath, dir_.File("Corvane Mp3.ini"));
    EXPECT_EQ(settings_->values.configured, 0);
    EXPECT_EQ(settings_->values.lastFolder, "-");
    EXPECT_EQ(settings_->values.userFormats.size(), 3u);

    settings_->values.lastFolder = "/music/Ærø; 100% = \"x\"";
    settings_->values.cddbEmail = "me@example.org";
    settings_->values.fileColumns[4] = 0;
    settings_->SaveToIni();
    SettingsValues fromFile;
    ASSERT_TRUE(LoadSettingsFile(dir_.File("Corvane Mp3.ini"), fromFile));
    EXPECT_EQ(fromFile.lastFolder, "/music/Ærø; 100% = \"x\"");

    settings_->values.lastFolder = "changed";
    settings_->LoadFromIni();
    EXPECT_EQ(settings_->values.lastFolder, "/music/Ærø; 100% = \"x\"");
    EXPECT_EQ(settings_->values.cddbEmail, "me@example.org");
    EXPECT_EQ(settings_->values.fileColumns[4], 0);
    EXPECT_EQ(settings_->values.iniPath, dir_.File("Corvane Mp3.ini"));
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
    const SettingsValues& v = settings_->values;
    EXPECT_EQ(v.configured, 1);
    EXPECT_EQ(v.showSplash, 0);
    EXPECT_EQ(v.autoQuery, 1);
    EXPECT_EQ(v.createPlaylist, 0);
    EXPECT_EQ(v.fileColumns[9], 0);
    EXPECT_EQ(v.fileColumns[8], 1);
    EXPECT_EQ(v.databaseColumns[0], 0);
    EXPECT_EQ(v.proxyHost, "proxy.lan");
    EXPECT_EQ(v.proxyPort, 3128);
    EXPECT_EQ(v.cddbEmail, "ann@example.org");
    EXPECT_EQ(v.cddbServer, "cddb.lan:8880");
    EXPECT_EQ(v.cddbProtocolLevel, 6);
    EXPECT_EQ(v.musicbrainzServer, "http://mb.lan:5000");
    EXPECT_FALSE(v.askMusicBrainz);
    EXPECT_EQ(v.windowWidth, 800);
}

TEST_F(SettingsComponentTest, DialogShowsTheCurrentValuesAndCancelKeepsThem) {
    settings_->values.autoQuery = 1;
    settings_->values.databaseColumns[5] = 0;
    settings_->values.proxyPort = 8080;
    settings_->values.cddbProtocolLevel = 6;
    const int result = RunDialog([](QDialog& dialog) {
        EXPECT_TRUE(Child<QCheckBox>(dialog, "autoQuery")->isChecked());
        EXPECT_FALSE(Child<QCheckBox>(dialog, "databaseColumn5")->isChecked());
        EXPECT_EQ(Child<QCheckBox>(dialog, "databaseColumn5")->text(), "Genre");
        EXPECT_EQ(Child<QCheckBox>(dialog, "fileColumn0")->text(), "Playtime");
        EXPECT_EQ(Child<QCheckBox>(dialog, "fileColumn9")->text(), "Structure");
        EXPECT_EQ(Child<QSpinBox>(dialog, "proxyPort")->value(), 8080);
        EXPECT_EQ(Child<QComboBox>(dialog, "cddbProtocolLevel")->currentData().toInt(), 6);
        Child<QCheckBox>(dialog, "showSplash")->setChecked(false);
        Child<QLineEdit>(dialog, "proxyHost")->setText("proxy.lan");
        dialog.reject();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(settings_->values.configured, 0);
    EXPECT_EQ(settings_->values.showSplash, 1);
    EXPECT_EQ(settings_->values.proxyHost, "");
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
