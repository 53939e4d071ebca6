#include "lookup/ServerList.h"

#include "cddb/CddbAgent.h"
#include "components/SettingsValues.h"
#include "platform/ComboBox.h"
#include "platform/MemoryComboBox.h"
#include "settings/SettingsIni.h"

namespace corvane {

CddbServerAddress ParseCddbServer(const std::string& text) {
    CddbServerAddress address{kDefaultCddbHost, 80};
    if (!IsCddbServerText(text)) {
        return address;
    }
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        address.host = text;
        return address;
    }
    address.host = text.substr(0, colon);
    address.port = std::stoi(text.substr(colon + 1));
    return address;
}

void InitServerCombo(ComboBox& combo, const CddbServerAddress& server) {
    combo.Clear();
    const std::string entry = SiteEntryText(server.host, server.port);
    combo.AddSorted(entry);
    // After the sorted entry, outside the sorting, as the second entry.
    combo.InsertLast(kMoreServersEntry);
    combo.SelectPrefix(entry);
}

bool RefreshServerList(ComboBox& combo, CddbAgent& agent, const CddbServerAddress& server,
                       std::string& errorText) {
    agent.SetDefaultServer(server.host, server.port);
    const bool filled = agent.FillSiteCombo(combo);
    errorText = filled ? std::string() : agent.ErrorText();
    if (filled) {
        combo.InsertLast(kMoreServersEntry);  // the list can be fetched again
    }
    // The whole host first, so that "a.org" does not pick "a.org.mirror:80".
    if (combo.SelectPrefix(server.host + ":") < 0) {
        combo.SelectPrefix(server.host);
    }
    agent.SetSite(server.host, server.port);
    return filled;
}

void SelectServer(CddbAgent& agent, const ComboBox& combo, const CddbServerAddress& server) {
    agent.SelectSiteFromCombo(combo);
    std::string host = agent.CurrentSite().host;
    // No server selected (or " More..." after a failed fetch): the default
    // server rather than a lookup that cannot reach anyone.
    if (host.empty()) {
        host = server.host;
    }
    // A mirror on another port can only be reached through the setting, so
    // its host keeps that port whichever entry names it.
    const bool isDefault = CompareNoCase(host, server.host) == 0;
    agent.SetSite(host, isDefault ? server.port : 80);
}

}  // namespace corvane
