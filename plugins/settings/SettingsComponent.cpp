#include "SettingsComponent.h"

#include <QApplication>

#include "SettingsDialog.h"
#include "settings/SettingsIni.h"

namespace corvane {

int SettingsComponent::DoModal() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return QDialog::Rejected;
    }
    SettingsDialog dialog(values, parent_.data());
    if (dialog.exec() != QDialog::Accepted) {
        return QDialog::Rejected;
    }
    values = dialog.Values();
    values.configured = true;
    // What the user confirmed must survive a crash of the window.
    SaveToIni();
    return QDialog::Accepted;
}

void SettingsComponent::LoadFromIni() {
    LoadSettingsFile(values.iniPath, values);
}

int SettingsComponent::SaveToIni() {
    return SaveSettingsFile(values.iniPath, values);
}

}  // namespace corvane

extern "C" __attribute__((visibility("default"))) corvane::SettingsObject* CreateSettingsDlg(
    void* parent) {
    return new corvane::SettingsComponent(static_cast<QWidget*>(parent));
}
