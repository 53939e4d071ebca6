#pragma once

#include "settings/SettingsValues.h"

namespace corvane {

// The settings component (Settings.so): the values, the settings dialog and
// the INI file behind them.
class SettingsObject {
public:
    SettingsValues values;

    // Shows the settings dialog modally; returns the dialog's result code.
    virtual int DoModal() = 0;
    // Destroys the object; it must not be used afterwards.
    virtual void Release() = 0;
    // Reads every value from values.iniPath; missing or damaged entries keep
    // their defaults.
    virtual void LoadFromIni() = 0;
    // Writes every value to values.iniPath, atomically.
    virtual void SaveToIni() = 0;

protected:
    virtual ~SettingsObject() = default;
};

// Signature of the plug-in's exported "CreateSettingsDlg"; parent is the main
// window (a QWidget*), or null.
using CreateSettingsDlgFn = SettingsObject* (*)(void* parent);

}  // namespace corvane
