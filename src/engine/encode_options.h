// TEncodeOptions: how the writers of today's formats (WebP, AVIF, JPEG XL) code their
// files. Zero values leave each format's own default; the classic formats ignore them.
#pragma once

namespace pictorand {

struct TEncodeOptions {
    // 1 to 100 for a format whose quality is a range; 0 for the format's default.
    int Quality = 0;
    // Lossless coding, by the formats that have it.
    bool Lossless = false;
    // 1 (fastest) to 10 (smallest files); 0 for the format's default.
    int Effort = 0;

    friend bool operator==(const TEncodeOptions&, const TEncodeOptions&) = default;
};

}  // namespace pictorand
