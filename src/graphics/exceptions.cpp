#include "graphics/exceptions.h"

namespace pictorand {

namespace {
std::string ReplaceFirst(std::string_view pattern, std::string_view placeholder, std::string_view value) {
    std::string result(pattern);
    if (auto at = result.find(placeholder); at != std::string::npos) {
        result.replace(at, placeholder.size(), value);
    }
    return result;
}
}  // namespace

std::string FormatMessage(std::string_view pattern, std::string_view argument) {
    return ReplaceFirst(pattern, "%s", argument);
}

std::string FormatMessage(std::string_view pattern, long long argument) {
    return ReplaceFirst(pattern, "%d", std::to_string(argument));
}

}  // namespace pictorand
