#pragma once

#include <QDialog>
#include <array>

#include "components/SettingsValues.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;

namespace corvane {

// The settings dialog: shows the values a user sets and gives them back
// changed. Values the program keeps by itself (window size, last folder,
// name formats) pass through untouched.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(const SettingsValues& values, QWidget* parent);

    // The values shown at construction with the user's changes.
    SettingsValues Values() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildGeneralPage();
    QWidget* BuildColumnsPage();
    QWidget* BuildNetworkPage();
    void ShowValues();
    void UpdateState();

    SettingsValues values_;

    QCheckBox* showSplash_ = nullptr;
    QCheckBox* autoQuery_ = nullptr;
    QCheckBox* showStatusList_ = nullptr;
    QCheckBox* createPlaylist_ = nullptr;
    QCheckBox* createDirectory_ = nullptr;
    QCheckBox* moveDependencies_ = nullptr;
    QCheckBox* confirmDependencies_ = nullptr;
    std::array<QCheckBox*, 10> fileColumns_{};
    std::array<QCheckBox*, 6> databaseColumns_{};
    QLineEdit* cddbEmail_ = nullptr;
    QComboBox* cddbProtocolLevel_ = nullptr;
    QLineEdit* cddbServer_ = nullptr;
    QLineEdit* searchHost_ = nullptr;
    QCheckBox* askMusicBrainz_ = nullptr;
    QLineEdit* musicbrainzServer_ = nullptr;
    QLineEdit* acoustidKey_ = nullptr;
    QLineEdit* proxyHost_ = nullptr;
    QSpinBox* proxyPort_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QSize preferredSize_;
};

}  // namespace corvane
