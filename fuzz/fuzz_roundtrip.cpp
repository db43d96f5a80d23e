// Fuzz target: any input decoded by the reader its signature suggests, then written with
// every writer of the program.
#include <cstring>

#include "fuzz_common.h"
#include "formats/wmf/metafile.h"
#include "formats/pcx/pcx_graphic.h"
#include "formats/png/png_graphic.h"
#include "formats/psd/psd_graphic.h"
#include "formats/tga/targa_graphic.h"
#include "formats/tiff/tiff_graphic.h"
#include "formats/gif/gif_image.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/ico/linar_bitmap.h"
#include "formats/pcx/pcx_writer.h"
#include "formats/png/png_object.h"
#include "formats/tiff/tiff_writer.h"

namespace {

using namespace pictorand;

TBitmap Decode(const std::uint8_t* data, std::size_t size) {
    auto starts = [&](const char* magic) { return size >= std::strlen(magic) && std::memcmp(data, magic, std::strlen(magic)) == 0; };
    if (starts("BM")) return fuzz::LoadAs<TBitmap>(data, size);
    if (starts("\x89PNG")) return fuzz::LoadAs<TPNGGraphic>(data, size);
    if (starts("GIF")) return fuzz::LoadAs<TGIFImage>(data, size);
    if (starts("\xFF\xD8")) return fuzz::LoadAs<TJPEGImage>(data, size);
    if (starts("II") || starts("MM")) return fuzz::LoadAs<TTIFFGraphic>(data, size);
    if (starts("8BPS")) return fuzz::LoadAs<TPSDGraphic>(data, size);
    if (starts("\x0A")) return fuzz::LoadAs<TPCXGraphic>(data, size);
    return fuzz::LoadAs<TTargaGraphic>(data, size);
}

template <class F>
void Quietly(F&& write) {
    try {
        write();
    } catch (const Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TBitmap bitmap = Decode(data, size);
    if (bitmap.Empty() || std::int64_t{bitmap.Width()} * bitmap.Height() > 1'000'000) return 0;
    TMemoryStream out;
    Quietly([&] { TBitmap(bitmap).SaveToStream(out); });
    Quietly([&] { TJPEGImage j; j.Assign(bitmap); j.SaveToStream(out); });
    Quietly([&] { TGIFImage g; g.Assign(bitmap); g.SaveToStream(out); });
    Quietly([&] { TTargaGraphic t; t.Assign(bitmap); t.SaveToStream(out); });
    Quietly([&] { WriteTiffStream(out, bitmap); });
    Quietly([&] { TPNGObject p; p.Assign(bitmap); p.SaveToStream(out); });
    Quietly([&] { WritePcxStream(out, bitmap, 4); });
    Quietly([&] { TLinarBitmap l; l.AssignFromBitmap(bitmap); if (l.Present() && l.Width() < 256 && l.Height() < 256) TICOLoader().WriteImage(out, "ico", l); });
    Quietly([&] { if (bitmap.Width() <= 32767 && bitmap.Height() <= 32767) { TMetafile m; m.RecordBitmap(bitmap); m.SaveToStream(out); } });
    return 0;
}
