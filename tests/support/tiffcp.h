// libtiff's tiffcp for tests that re-encode TIFF files, and reading them back.
#pragma once

#include <cstdlib>
#include <string>

#include "formats/tiff/tiff_graphic.h"

namespace pictorand::testing {

inline bool TiffcpAvailable() { return std::system("tiffcp > /dev/null 2>&1; test $? -ne 127") == 0; }

// Converts with tiffcp; answers whether it succeeded.
inline bool Tiffcp(const std::string& options, const std::string& from, const std::string& to) {
    return std::system(("tiffcp " + options + " '" + from + "' '" + to + "' 2> /dev/null").c_str()) == 0;
}

inline TBitmap LoadTiff(const std::string& path) {
    TTIFFGraphic tiff;
    tiff.LoadFromFile(path);
    return static_cast<const TBitmap&>(tiff);
}

}  // namespace pictorand::testing

#define PICTORAND_REQUIRE_TIFFCP() \
    if (!::pictorand::testing::TiffcpAvailable()) GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed"
