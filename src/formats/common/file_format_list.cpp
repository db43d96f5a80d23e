#include "formats/common/file_format_list.h"

#include <algorithm>
#include <cctype>

#include "graphics/exceptions.h"

namespace pictorand {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct TRegistration {
    std::string_view Extension, Description, ClassName;
    int Features;
};

// In the order the reader unit registers them.
constexpr TRegistration Registrations[] = {
    {"bmp", "Windows bitmaps", "TBitmap", 8},
    {"ico", "Windows icons", "TIcon", 8},
    {"wmf", "Windows metafiles", "TMetafile", 16},
    {"emf", "Windows enhanced meta files", "TMetafile", 16},
    {"jfif", "JFIF images", "TJPEGImage", 8},
    {"jpg", "JPG images", "TJPEGImage", 8},
    {"jpe", "JPE images", "TJPEGImage", 8},
    {"jpeg", "JPEG images", "TJPEGImage", 8},
    {"rle", "Run length encoded Windows bitmaps", "TBitmap", 8},
    {"dib", "Device independant Windows bitmaps", "TBitmap", 8},
    {"win", "Truevision images", "TTargaGraphic", 8},
    {"vst", "Truevision images", "TTargaGraphic", 8},
    {"vda", "Truevision images", "TTargaGraphic", 8},
    {"tga", "Truevision images", "TTargaGraphic", 8},
    {"icb", "Truevision images", "TTargaGraphic", 8},
    {"tiff", "Tagged image file format images", "TTIFFGraphic", 12},
    {"tif", "Macintosh TIFF images", "TTIFFGraphic", 12},
    {"fax", "GFI fax images", "TTIFFGraphic", 12},
    {"eps", "Encapsulated Postscript images", "TEPSGraphic", 8},
    {"pcx", "ZSoft Paintbrush images", "TPCXGraphic", 8},
    {"pcc", "ZSoft Paintbrush images", "TPCXGraphic", 8},
    {"scr", "Word 5.x screen capture images", "TPCXGraphic", 8},
    {"rpf", "Alias/Wavefront images", "TRLAGraphic", 8},
    {"rla", "Alias/Wavefront images", "TRLAGraphic", 8},
    {"sgi", "SGI images", "TSGIGraphic", 8},
    {"rgba", "SGI true color images with alpha", "TSGIGraphic", 8},
    {"rgb", "SGI true color images", "TSGIGraphic", 8},
    {"bw", "SGI black/white images", "TSGIGraphic", 8},
    {"psd", "Photoshop images", "TPSDGraphic", 10},
    {"pdd", "Photoshop images", "TPSDGraphic", 10},
    {"ppm", "Portable pixel map images", "TPPMGraphic", 8},
    {"pgm", "Portable gray map images", "TPPMGraphic", 8},
    {"pbm", "Portable bitmap images", "TPPMGraphic", 8},
    {"cel", "Autodesk images", "TAutodeskGraphic", 8},
    {"pic", "Autodesk images", "TAutodeskGraphic", 8},
    {"pcd", "Kodak Photo-CD images", "TPCDGraphic", 8},
    {"cut", "Dr. Halo images", "TCUTGraphic", 8},
    {"psp", "Paintshop Pro images", "TPSPGraphic", 24},
    {"png", "Portable network graphic images", "TPNGGraphic", 8},
};

}  // namespace

void TFileFormatList::Register(std::string_view extension, std::string_view classDescription, std::string_view description,
                               int features, std::string_view className) {
    const std::string key = Lower(extension);
    if (Find(key)) throw EInvalidGraphic(FormatMessage("Attempt to register %s twice.", key));
    auto found = std::find_if(classes_.begin(), classes_.end(), [&](const TClassEntry& c) { return c.ClassName == className; });
    if (found == classes_.end()) {
        classes_.push_back({std::string(className), std::string(classDescription), 0});
        found = classes_.end() - 1;
    }
    ++found->Users;
    extensions_.push_back({key, std::string(description.empty() ? classDescription : description), features,
                           static_cast<std::size_t>(found - classes_.begin())});
}

void TFileFormatList::Unregister(std::string_view extensionOrClass) {
    const std::string key = Lower(extensionOrClass);
    std::erase_if(extensions_, [&](const TExtensionEntry& e) {
        const bool remove = e.Extension == key || classes_[e.Class].ClassName == extensionOrClass;
        if (remove) --classes_[e.Class].Users;
        return remove;
    });
}

const TFileFormatList::TExtensionEntry* TFileFormatList::Find(std::string_view extension) const {
    const std::string key = Lower(extension);
    for (const TExtensionEntry& e : extensions_)
        if (e.Extension == key) return &e;
    return nullptr;
}

const TFileFormatList& FileFormatList() {
    static const TFileFormatList list = [] {
        TFileFormatList l;
        for (const TRegistration& r : Registrations) l.Register(r.Extension, r.Description, r.Description, r.Features, r.ClassName);
        return l;
    }();
    return list;
}

}  // namespace pictorand
