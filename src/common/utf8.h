#pragma once
// UTF-8 to code points and back, for the few places where the core counts or converts characters
// (partition names are limited to 8 characters, not bytes).
#include <string>
#include <string_view>

namespace livna {

/// The code points of a UTF-8 text; each byte of an invalid sequence becomes "?".
std::u32string utf8ToU32(std::string_view utf8);
/// Appends one code point as UTF-8 (an invalid code point is written as "?").
void appendUtf8(std::string& out, char32_t ch);
std::string u32ToUtf8(std::u32string_view text);

}  // namespace livna
