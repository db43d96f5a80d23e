// TFileFormatList: the registry of picture file extensions and the classes that read them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pictorand {

class TFileFormatList {
public:
    struct TClassEntry {
        std::string ClassName;
        std::string Description;
        int Users = 0;
    };
    struct TExtensionEntry {
        std::string Extension;
        std::string Description;
        int Features = 0;
        std::size_t Class = 0;
    };

    // Raises EInvalidGraphic "Attempt to register %s twice." for a known extension.
    void Register(std::string_view extension, std::string_view classDescription, std::string_view description,
                  int features, std::string_view className);
    void Unregister(std::string_view extensionOrClass);

    const TExtensionEntry* Find(std::string_view extension) const;
    const std::vector<TExtensionEntry>& Extensions() const { return extensions_; }
    const std::vector<TClassEntry>& Classes() const { return classes_; }

private:
    std::vector<TClassEntry> classes_;
    std::vector<TExtensionEntry> extensions_;
};

// The program's registry, filled with every registration of the reader unit.
const TFileFormatList& FileFormatList();

}  // namespace pictorand
