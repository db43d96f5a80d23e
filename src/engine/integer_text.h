// Conversion of typed numbers, held as text, to integers at the moment of use.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pictorand {

// Decimal (or "$"/"0x" hexadecimal) text with optional leading blanks and sign, in the
// 32-bit range; nothing when the text is not such an integer.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
// As TryStrToInt, raising EConvertError "'%s' is not a valid integer value" on failure.
std::int32_t StrToInt(std::string_view text);

}  // namespace pictorand
