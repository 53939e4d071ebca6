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
#include "settings/SettingsIni.h"
#include "support/TestSupport.h"
#include "support/WidgetTestApp.h"

namespace corvane {
namespace {

// Loads the real Settings.so with a QApplication on the offscreen platform,
// in a temporary current directory.
class SettingsComponentTest : public test::WidgetTest {
protected:
    void SetUp() override {
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
    const SettingsValues saved = settings_->values;
    settings_->SaveToIni();
    settings_->values.lastFolder = "changed";
    settings_->LoadFromIni();
    EXPECT_EQ(settings_->values, saved);
}

// OK takes what the controls hold, shown from the current values, and leaves the values
// the dialog does not show.
TEST_F(SettingsComponentTest, OkTakesTheUsersValuesAndMarksConfigured) {
    settings_->values.windowWidth = 800;
    settings_->values.proxyPort = 8080;
    SettingsValues expected = settings_->values;
    const int result = RunDialog([](QDialog& dialog) {
        EXPECT_EQ(Child<QSpinBox>(dialog, "proxyPort")->value(), 8080);
        Child<QSpinBox>(dialog, "proxyPort")->setValue(3128);
        Child<QCheckBox>(dialog, "fileColumn9")->setChecked(false);
        Child<QLineEdit>(dialog, "cddbServer")->setText("cddb.lan:8880");
        Child<QComboBox>(dialog, "cddbProtocolLevel")->setCurrentIndex(1);
        QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    expected.configured = true;
    expected.fileColumns[9] = false;
    expected.proxyPort = 3128;
    expected.cddbServer = "cddb.lan:8880";
    expected.cddbProtocolLevel = 6;
    EXPECT_EQ(settings_->values, expected);
    // Written at once, so that a crash of the window loses nothing.
    SettingsValues fromFile;
    ASSERT_TRUE(LoadSettingsFile(expected.iniPath, fromFile));
    fromFile.iniPath = expected.iniPath;
    EXPECT_EQ(fromFile, expected);
}

TEST_F(SettingsComponentTest, CancelKeepsTheValues) {
    const SettingsValues before = settings_->values;
    EXPECT_EQ(RunDialog([](QDialog& dialog) {
                  Child<QLineEdit>(dialog, "proxyHost")->setText("proxy.lan");
              }),
              QDialog::Rejected);
    EXPECT_EQ(settings_->values, before);
    EXPECT_FALSE(std::filesystem::exists(before.iniPath));
}

// An invalid entry keeps OK disabled; the confirmation only applies when dependencies
// move; an empty server means the default one.
TEST_F(SettingsComponentTest, ControlsCheckAndFollowEachOther) {
    settings_->values.cddbServer = "other.example:8880";
    RunDialog([](QDialog& dialog) {
        auto* server = Child<QLineEdit>(dialog, "cddbServer");
        server->setText("host:99999");
        EXPECT_FALSE(Ok(dialog)->isEnabled());
        Child<QCheckBox>(dialog, "moveDependencies")->setChecked(false);
        EXPECT_FALSE(Child<QCheckBox>(dialog, "confirmDependencies")->isEnabled());
        server->clear();
        QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(settings_->values.cddbServer, SettingsValues{}.cddbServer);
}

TEST_F(SettingsComponentTest, ParentWindowMayGoFirst) {
    auto* parent = new QWidget;
    ComponentLoader loader(test::BinDir());
    settings_ = loader.LoadSettings(parent);
    ASSERT_NE(settings_, nullptr);
    delete parent;
    EXPECT_EQ(RunDialog([](QDialog&) {}), QDialog::Rejected);
}

}  // namespace
}  // namespace corvane
