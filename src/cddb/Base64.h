#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Standard base64 (RFC 4648) as one unbroken value, with "=" padding.
std::string Base64Encode(std::string_view data);

// Room for the encoding of length bytes with a line break every 76
// characters, plus 3: always enough for Base64Encode's output.
std::size_t Base64BufferSize(std::size_t length);

}  // namespace corvane
