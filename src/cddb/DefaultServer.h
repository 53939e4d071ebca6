#pragma once

namespace corvane {

// The public CDDB service that answers when the settings name no server.
inline constexpr const char* kDefaultCddbHost = "gnudb.gnudb.org";
inline constexpr int kDefaultCddbPort = 80;

}  // namespace corvane
