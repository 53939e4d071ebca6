#pragma once

#include <string>
#include <string_view>

#include "components/SettingsValues.h"

namespace corvane {

// The settings as an INI text meant to stay readable and hand-editable:
// sections [General], [FileColumns], [DatabaseColumns], [Proxy], [Window],
// [Formats], [Cddb] and [MusicBrainz]; texts in double quotes with \" \\ \n \r \t and \xHH
// (a byte that is not UTF-8) escaped, so that "%", "=", ";", outer blanks and
// any bytes come back as they were.
std::string SettingsToIniText(const SettingsValues& values);

// Reads what it can from text: unknown, damaged or out-of-range entries keep
// their defaults. Never fails. iniPath is left empty.
SettingsValues SettingsFromIniText(std::string_view text);

// "host" or "host:port" with a port in 1..65535, without blanks or slashes.
bool IsCddbServerText(const std::string& server);
// True for an AcoustID application key: up to 64 letters, digits, "-", "_"
// or "." (empty included: no key).
bool IsAcoustIdKeyText(const std::string& key);

// Replaces values (but its iniPath) with the defaults and the file's entries.
// Returns false when the file could not be read; values then hold defaults.
bool LoadSettingsFile(const std::string& path, SettingsValues& values);

// Writes the file atomically. Returns 0 or an errno value.
int SaveSettingsFile(const std::string& path, const SettingsValues& values);

}  // namespace corvane
