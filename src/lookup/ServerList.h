#pragma once

#include <string>

namespace corvane {

class CddbAgent;
class ComboBox;

inline constexpr const char* kMoreServersEntry = " More...";

// The default CDDB server of the settings ("host" or "host:port").
struct CddbServerAddress {
    std::string host;
    int port = 80;
};

// Reads "host" or "host:port"; a text that names no usable server gives the
// built-in default server.
CddbServerAddress ParseCddbServer(const std::string& text);

// The combo at start: the default server's entry, then " More...", the
// default entry selected.
void InitServerCombo(ComboBox& combo, const CddbServerAddress& server);

// Fetches the default server's site list into the combo and selects the
// default server's entry again. False with errorText set (for the status
// list) when the list could not be fetched; the combo then keeps its entries.
bool RefreshServerList(ComboBox& combo, CddbAgent& agent, const CddbServerAddress& server,
                       std::string& errorText);

// Points the agent at the combo's selected server. The default server's entry
// uses the default server's port; every other entry uses port 80. Without a
// selected server the default server is used.
void SelectServer(CddbAgent& agent, const ComboBox& combo, const CddbServerAddress& server);

}  // namespace corvane
