#include "app/source_loader.h"

#include <array>
#include <string>

#include "app/app_messages.h"
#include "app/file_names.h"
#include "graphics/exceptions.h"
#include "graphics/metafile.h"
#include "readers/pcx_graphic.h"
#include "readers/png_graphic.h"
#include "readers/psd_graphic.h"
#include "readers/psp_graphic.h"
#include "readers/targa_graphic.h"
#include "readers/tiff_graphic.h"
#include "writers/gif_image.h"
#include "writers/jpeg_image.h"

namespace pictorand {

namespace {

template <class T>
std::unique_ptr<TGraphic> Make() {
    return std::make_unique<T>();
}

// The JPEG row comes first of the decoded rows: pending events are processed right after it.
const std::array<TSourceReader, 10> Rows = {{
    {{".BMP", ""}, TSourceKind::Bitmap, nullptr},
    {{".JPG", ".JPEG"}, TSourceKind::Decoded, &Make<TJPEGImage>},
    {{".GIF", ""}, TSourceKind::Decoded, &Make<TGIFImage>},
    {{".TGA", ""}, TSourceKind::Decoded, &Make<TTargaGraphic>},
    {{".TIF", ".TIFF"}, TSourceKind::Decoded, &Make<TTIFFGraphic>},
    {{".PCX", ""}, TSourceKind::Decoded, &Make<TPCXGraphic>},
    {{".PNG", ""}, TSourceKind::Decoded, &Make<TPNGGraphic>},
    {{".PSD", ".PDD"}, TSourceKind::Decoded, &Make<TPSDGraphic>},
    {{".PSP", ""}, TSourceKind::Decoded, &Make<TPSPGraphic>},
    {{".WMF", ""}, TSourceKind::Metafile, &Make<TMetafile>},
}};

constexpr std::size_t JpegRow = 1;

void LoadRow(const TSourceReader& row, TRunState& state) {
    TBitmap& target = *state.SourceBitmap;
    if (row.Kind == TSourceKind::Bitmap) {
        target.LoadFromFile(state.CurrentSourcePath);
        return;
    }
    const std::unique_ptr<TGraphic> reader = row.Create();
    reader->LoadFromFile(state.CurrentSourcePath);
    if (row.Kind == TSourceKind::Metafile) {
        target.SetHeight(reader->Height());
        target.SetWidth(reader->Width());
        reader->Draw(target, 0, 0);
        return;
    }
    reader->ReleaseTo(target);
}

}  // namespace

std::span<const TSourceReader> SourceReaders() { return Rows; }

const TSourceReader* FindSourceReader(std::string_view extension) {
    const std::string upper = UpperCaseAscii(extension);
    for (const TSourceReader& row : Rows) {
        for (std::string_view e : row.Extensions) {
            if (!e.empty() && e == upper) return &row;
        }
    }
    return nullptr;
}

void CheckAndLoadFromFile(TRunState& state) {
    state.SourceBitmap = std::make_unique<TBitmap>();
    const TSourceReader* row = FindSourceReader(state.CurrentExt);
    const std::size_t index = row ? static_cast<std::size_t>(row - Rows.data()) : Rows.size();
    try {
        if (row && index <= JpegRow) LoadRow(*row, state);
        state.Host->ProcessMessages();
        if (row && index > JpegRow) LoadRow(*row, state);
    } catch (const std::exception& error) {
        state.LoadFailed = true;
        state.Host->ShowMessage(std::string(messages::CannotLoadFilePrefix) + state.CurrentFileName + "!", error.what());
    }
}

}  // namespace pictorand
