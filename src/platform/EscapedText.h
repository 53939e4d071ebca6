#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Appends the escape of one byte that cannot stand as it is: a control
// character without a short escape, DEL, or a byte that is not part of valid
// UTF-8.
using ByteEscaper = void (*)(std::string& out, unsigned char byte);

// Appends text in the C-like escaped form shared by the JSON and INI
// writers: valid UTF-8 passes through; '"', '\\', newline, carriage return
// and tab get their short escapes; every other byte below 0x20, 0x7F and
// every byte outside valid UTF-8 goes to escapeByte, which decides how (or
// whether) to escape it. No quotes are added.
void AppendEscapedText(std::string& out, std::string_view text, ByteEscaper escapeByte);

// Bytes as a value of an HTML form (application/x-www-form-urlencoded): letters,
// digits and "-._~" stay, a space becomes "+", every other byte "%XX".
std::string FormEscaped(std::string_view bytes);

}  // namespace corvane
