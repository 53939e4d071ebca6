#pragma once

#include "components/SettingsValues.h"

namespace corvane {

// The settings component (Settings.so): the values, the settings dialog and
// the INI file behind them.
class SettingsObject {
public:
    SettingsValues values;

    // Shows the settings dialog modally; returns the dialog's result code.
    // Values confirmed with OK are written to the file at once.
    virtual int DoModal() = 0;
    // Destroys the object; it must not be used afterwards.
    virtual void Release() = 0;
    // Reads every value from values.iniPath; missing or damaged entries keep
    // their defaults.
    virtual void LoadFromIni() = 0;
    // Writes every value to values.iniPath now, through a temporary file
    // synced and renamed into place, so that a crash leaves the old file or
    // the new one, never half of one. The window calls it after each change
    // it keeps. Returns 0 or an errno value.
    virtual int SaveToIni() = 0;

protected:
    virtual ~SettingsObject() = default;
};

// Signature of the plug-in's exported "CreateSettingsDlg"; parent is the main
// window (a QWidget*), or null.
using CreateSettingsDlgFn = SettingsObject* (*)(void* parent);

}  // namespace corvane
