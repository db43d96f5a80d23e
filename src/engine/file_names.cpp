#include "engine/file_names.h"

namespace pictorand {

namespace {
// Only "/" separates folders here; ":" and "\\" are ordinary characters of a file name.
constexpr std::string_view Separators = "/";

std::size_t ExtensionStart(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos) return std::string_view::npos;
    const std::size_t separator = path.find_last_of(Separators);
    if (separator != std::string_view::npos && separator > dot) return std::string_view::npos;
    return dot;
}
}  // namespace

std::string ExtractFileExt(std::string_view path) {
    const std::size_t dot = ExtensionStart(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ExtractFileName(std::string_view path) {
    const std::size_t separator = path.find_last_of(Separators);
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string ChangeFileExt(std::string_view name, std::string_view ending) {
    const std::size_t dot = ExtensionStart(name);
    std::string result(dot == std::string_view::npos ? name : name.substr(0, dot));
    result += ending;
    return result;
}

std::string UpperCaseAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

bool MakesPath(std::string_view nameText) {
    return nameText.find('/') != std::string_view::npos || nameText.find("..") != std::string_view::npos;
}

}  // namespace pictorand
