#pragma once

#include <QPointer>
#include <QWidget>

#include "components/SettingsObject.h"

namespace corvane {

// The object behind Settings.so: keeps the values, shows the settings dialog
// and reads and writes the INI file.
class SettingsComponent final : public SettingsObject {
public:
    explicit SettingsComponent(QWidget* parent) : parent_(parent) {}

    // QDialog::Accepted after OK (the values are taken, configured is set
    // and the file written), QDialog::Rejected after Cancel or when no
    // QApplication runs.
    int DoModal() override;
    void Release() override { delete this; }
    void LoadFromIni() override;
    int SaveToIni() override;

private:
    // The dialog is made for each showing, so the object never depends on
    // the lifetime of the parent window.
    QPointer<QWidget> parent_;
};

}  // namespace corvane
