// Windows-1251, the 8-bit code page of the interface's texts, to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pictorand {

std::string Cp1251ToUtf8(std::string_view text);
// Characters Windows-1251 cannot represent become '?'.
std::string Utf8ToCp1251(std::string_view text);
// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view text);
// The first count characters of a UTF-8 text.
std::string Utf8Prefix(std::string_view text, std::size_t count);

}  // namespace pictorand
