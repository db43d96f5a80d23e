#include "formats/common/jpeg_memory_source.h"

#include <algorithm>

// libjpeg's header expects size_t and FILE to be declared first.
#include <jerror.h>

namespace pictorand {

namespace {

const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

extern "C" void InitSource(j_decompress_ptr) {}

extern "C" boolean FillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<TJpegMemorySource*>(info->src);
    if (source->Position >= source->Data.size()) {
        if (source->WholeFile) {
            if (source->Position == 0) ERREXIT(info, JERR_INPUT_EMPTY);
            WARNMS(info, JWRN_JPEG_EOF);
        }
        source->Ended = true;
        source->pub.next_input_byte = EndOfImage;
        source->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    const std::size_t count = std::min(source->Block, source->Data.size() - source->Position);
    source->pub.next_input_byte = source->Data.data() + source->Position;
    source->pub.bytes_in_buffer = count;
    source->Position += count;
    return TRUE;
}

extern "C" void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    auto* source = reinterpret_cast<TJpegMemorySource*>(info->src);
    while (count > static_cast<long>(source->pub.bytes_in_buffer)) {
        count -= static_cast<long>(source->pub.bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

extern "C" void TermSource(j_decompress_ptr) {}

}  // namespace

void AttachMemorySource(jpeg_decompress_struct& info, TJpegMemorySource& source, std::span<const std::uint8_t> data,
                        std::size_t block, bool wholeFile) {
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInputBuffer;
    source.pub.skip_input_data = SkipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.bytes_in_buffer = 0;
    source.pub.next_input_byte = nullptr;
    source.Data = data;
    source.Position = 0;
    source.Block = block;
    source.WholeFile = wholeFile;
    source.Ended = false;
    info.src = &source.pub;
}

}  // namespace pictorand
