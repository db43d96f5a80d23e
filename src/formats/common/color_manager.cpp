#include "formats/common/color_manager.h"

#include <array>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace pictorand {

namespace {

using namespace color_messages;

bool HasAlpha(TColorScheme scheme) {
    return scheme == TColorScheme::GrayAlpha || scheme == TColorScheme::Rgba || scheme == TColorScheme::Bgra;
}
bool IsRgbFamily(TColorScheme s) { return s == TColorScheme::Rgb || s == TColorScheme::Rgba; }
bool IsBgrFamily(TColorScheme s) { return s == TColorScheme::Bgr || s == TColorScheme::Bgra; }
std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }
std::uint8_t ClampInt(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }
int MaxValue(int bits) { return bits >= 16 ? 65535 : (1 << bits) - 1; }

// The rotating pixel mask of interlaced images.
class TMaskWalker {
public:
    explicit TMaskWalker(std::uint8_t mask) : mask_(mask) {}
    bool Next() {
        const bool take = (mask_ & bit_) != 0;
        bit_ = bit_ == 1 ? 128 : static_cast<std::uint8_t>(bit_ >> 1);
        return take;
    }

private:
    std::uint8_t mask_;
    std::uint8_t bit_ = 128;
};

// Reads samples of any depth from 1 to 16 bits, most significant bits first.
class TSampleCursor {
public:
    TSampleCursor(const std::uint8_t* data, int bits, bool swap) : data_(data), bits_(bits), swap_(swap) {}
    int Next() {
        int value;
        if (bits_ == 8) {
            value = data_[bit_ >> 3];
        } else if (bits_ == 16) {
            const std::uint8_t* p = data_ + (bit_ >> 3);
            value = swap_ ? (p[0] << 8 | p[1]) : (p[0] | p[1] << 8);
        } else {
            value = 0;
            for (int i = 0; i < bits_; ++i) {
                const std::size_t at = bit_ + static_cast<std::size_t>(i);
                value = value << 1 | (data_[at >> 3] >> (7 - (at & 7)) & 1);
            }
        }
        bit_ += static_cast<std::size_t>(bits_);
        return value;
    }
    void Skip(int samples) { bit_ += static_cast<std::size_t>(bits_ * samples); }

private:
    const std::uint8_t* data_;
    int bits_;
    bool swap_;
    std::size_t bit_ = 0;
};

// Writes values of a packed depth (1..8 bits) or 16 bits, most significant bits first.
void WritePacked(std::uint8_t* target, std::size_t index, int bits, int value, bool swap) {
    if (bits == 8) {
        target[index] = static_cast<std::uint8_t>(value);
    } else if (bits == 16) {
        std::uint8_t* p = target + 2 * index;
        p[0] = static_cast<std::uint8_t>(swap ? value >> 8 : value);
        p[1] = static_cast<std::uint8_t>(swap ? value : value >> 8);
    } else {
        for (int i = 0; i < bits; ++i) {
            const std::size_t at = index * static_cast<std::size_t>(bits) + static_cast<std::size_t>(i);
            const auto bit = static_cast<std::uint8_t>(0x80 >> (at & 7));
            if (value >> (bits - 1 - i) & 1) target[at >> 3] |= bit;
            else target[at >> 3] &= static_cast<std::uint8_t>(~bit);
        }
    }
}

int Rescale(int value, int fromBits, int toBits) {
    if (fromBits == toBits) return value;
    return static_cast<int>(static_cast<std::int64_t>(value) * MaxValue(toBits) / MaxValue(fromBits));
}

}  // namespace

TColorManager::TColorManager() { SetGamma(1.0f, 2.2f); }

// Stores a layout value, noting a change so the converter is chosen again.
template <class T>
void TColorManager::Update(T& field, T value) {
    if (value != field) changed_ = true;
    field = value;
}

void TColorManager::SetSourceBitsPerSample(int bits) {
    if (bits <= 0 || bits > 16) throw EColorConversionError(std::string(InvalidDepth));
    Update(sourceBits_, bits);
}

void TColorManager::SetTargetBitsPerSample(int bits) {
    if (bits <= 0 || bits > 16) throw EColorConversionError(std::string(InvalidDepth));
    Update(targetBits_, bits);
}

void TColorManager::SetSourceSamplesPerPixel(int samples) {
    // Five for CMYK with alpha.
    if (samples <= 0 || samples > 5) throw EColorConversionError(std::string(InvalidSampleCount));
    Update(sourceSamples_, samples);
}

void TColorManager::SetTargetSamplesPerPixel(int samples) {
    if (samples <= 0 || samples > 4) throw EColorConversionError(std::string(InvalidSampleCount));
    Update(targetSamples_, samples);
}

void TColorManager::SetSourceColorScheme(TColorScheme scheme) { Update(sourceScheme_, scheme); }

void TColorManager::SetTargetColorScheme(TColorScheme scheme) { Update(targetScheme_, scheme); }

void TColorManager::SetGamma(float main, float display) {
    mainGamma_ = main > 0 ? main : 1.0f;
    displayGamma_ = display > 0 ? display : 2.2f;
    const int s = sourceBits_ >= 8 ? 255 : (1 << sourceBits_) - 1;
    const int t = targetBits_ >= 8 ? 255 : (1 << targetBits_) - 1;
    gammaTable_.fill(0);
    const double exponent = 1.0 / (static_cast<double>(mainGamma_) * displayGamma_);
    for (int i = 0; i <= s; ++i) {
        gammaTable_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::lround(std::pow(static_cast<double>(i) / s, exponent) * t));
    }
    changed_ = true;
}

void TColorManager::SetYCbCrParameters(std::initializer_list<float> coefficients, int horizontal, int vertical) {
    auto valid = [](int v) { return v == 1 || v == 2 || v == 4; };
    if (!valid(horizontal) || !valid(vertical)) throw EColorConversionError(std::string(InvalidSubsampling));
    if (horizontal < vertical) throw EColorConversionError(std::string(SubsamplingOrder));
    int i = 0;
    for (float c : coefficients) {
        if (i < 3) luma_[i++] = c;
    }
    subsampling_[0] = static_cast<std::uint8_t>(horizontal);
    subsampling_[1] = static_cast<std::uint8_t>(vertical);
    changed_ = true;
}

void TColorManager::CheckLayout(TPixelFormat format) const {
    int needed = 0;
    switch (sourceScheme_) {
        case TColorScheme::Rgb:
        case TColorScheme::Bgr:
        case TColorScheme::CieLab:
        case TColorScheme::YCbCr:
        case TColorScheme::PhotoYcc: needed = 3; break;
        case TColorScheme::Rgba:
        case TColorScheme::Bgra:
        case TColorScheme::Cmyk: needed = 4; break;
        default: break;
    }
    const bool colourTarget = IsRgbFamily(targetScheme_) || IsBgrFamily(targetScheme_);
    const int written = colourTarget ? (HasAlpha(targetScheme_) ? 32 : 24) : targetBits_;
    const bool packedTarget = targetScheme_ == TColorScheme::Indexed || targetScheme_ == TColorScheme::Gray;
    const bool fits = written <= BitsPerPixel(format) && (!packedTarget || IsIndexed(format)) && (!colourTarget || targetBits_ == 8);
    if (sourceSamples_ < needed || !fits) throw EColorConversionError(std::string(InvalidSampleCount));
}

TPixelFormat TColorManager::PixelFormatFor(int samples, int bits) {
    if (samples == 1) {
        if (bits == 1) return TPixelFormat::pf1bit;
        if (bits >= 2 && bits <= 4) return TPixelFormat::pf4bit;
        if (bits >= 8) return TPixelFormat::pf8bit;
    } else if (samples == 3) {
        return bits >= 1 && bits <= 5 ? TPixelFormat::pf15bit : TPixelFormat::pf24bit;
    } else if (samples == 4 && bits >= 8) {
        return TPixelFormat::pf32bit;
    }
    return TPixelFormat::pfCustom;
}

std::uint16_t TColorManager::Read16(const std::uint8_t* p) const {
    return (SourceOptions & convert_options::ByteSwap) ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                                                       : static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::array<std::array<std::uint8_t, 256>, 3> TColorManager::IdentityRanges() {
    std::array<std::array<std::uint8_t, 256>, 3> ranges{};
    for (auto& range : ranges) {
        for (int i = 0; i < 256; ++i) range[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }
    return ranges;
}

void TColorManager::SetYCbCrReference(std::span<const double> blackWhite) {
    yccRange_ = IdentityRanges();
    if (blackWhite.size() < 6) return;
    for (std::size_t k = 0; k < 3; ++k) {
        const double black = blackWhite[2 * k], white = blackWhite[2 * k + 1];
        if (!std::isfinite(black) || !std::isfinite(white) || white - black < 1) continue;
        // Luma spans 0..255 between black and white; chroma spans 127 either side of 128.
        const double scale = k == 0 ? 255.0 / (white - black) : 127.0 / (white - black);
        const double offset = k == 0 ? 0.0 : 128.0;
        for (int i = 0; i < 256; ++i) {
            const double value = (i - black) * scale + offset;
            yccRange_[k][static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
        }
    }
}

std::uint8_t TColorManager::Gamma(std::uint8_t value) const {
    return (TargetOptions & convert_options::ApplyGamma) ? gammaTable_[value] : value;
}

void TColorManager::BuildYCbCrTables(int offsetRed, int offsetBlue) {
    const double lr = luma_[0], lg = luma_[1], lb = luma_[2];
    const double cr = 2 - 2 * lr, cb = 2 - 2 * lb;
    for (int i = 0; i < 256; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        crToRed_[k] = static_cast<int>(std::lround(cr * (i - offsetRed)));
        cbToBlue_[k] = static_cast<int>(std::lround(cb * (i - offsetBlue)));
        crToGreen_[k] = -static_cast<int>(std::lround(lr * cr / lg * (i - offsetRed)));
        cbToGreen_[k] = -static_cast<int>(std::lround(lb * cb / lg * (i - offsetBlue)));
    }
}

void TColorManager::ChooseConverter() {
    const auto indexedLike = [](TColorScheme s) {
        return s == TColorScheme::Indexed || s == TColorScheme::Gray || s == TColorScheme::GrayAlpha;
    };
    const bool targetIndexedLike = targetScheme_ == TColorScheme::Indexed || targetScheme_ == TColorScheme::Gray;
    const bool greyToColour = sourceScheme_ == TColorScheme::GrayAlpha && HasAlpha(targetScheme_) && !targetIndexedLike;
    if (indexedLike(sourceScheme_) != targetIndexedLike && !greyToColour) throw EColorConversionError(std::string(IndexedMismatch));
    SourceOptions = static_cast<std::uint8_t>(HasAlpha(sourceScheme_) ? SourceOptions | convert_options::Alpha
                                                                      : SourceOptions & ~convert_options::Alpha);
    TargetOptions = static_cast<std::uint8_t>(HasAlpha(targetScheme_) ? TargetOptions | convert_options::Alpha
                                                                      : TargetOptions & ~convert_options::Alpha);
    const bool toRgb = IsRgbFamily(targetScheme_) || IsBgrFamily(targetScheme_);
    converter_ = nullptr;
    switch (sourceScheme_) {
        case TColorScheme::Indexed: converter_ = &TColorManager::ConvertIndexed; break;
        case TColorScheme::Gray:
            if (sourceBits_ != 16 && targetBits_ != 16) converter_ = &TColorManager::ConvertIndexed;
            else if (sourceBits_ >= 8 && targetBits_ >= 8) converter_ = &TColorManager::ConvertGray;
            break;
        case TColorScheme::GrayAlpha:
            if (greyToColour && (sourceBits_ == 8 || sourceBits_ == 16) && targetBits_ == 8) converter_ = &TColorManager::ConvertGrayAlphaToColour;
            else if ((sourceBits_ == 8 || sourceBits_ == 16) && (targetBits_ == 8 || targetBits_ == 16)) converter_ = &TColorManager::ConvertGray;
            break;
        case TColorScheme::Rgb:
        case TColorScheme::Rgba:
        case TColorScheme::Bgr:
        case TColorScheme::Bgra:
            if (toRgb) converter_ = &TColorManager::ConvertRgb;
            break;
        case TColorScheme::Cmyk:
            if (toRgb) converter_ = &TColorManager::ConvertCmyk;
            break;
        case TColorScheme::CieLab:
            if (toRgb) converter_ = &TColorManager::ConvertLab;
            break;
        case TColorScheme::YCbCr:
            if (toRgb) {
                BuildYCbCrTables(128, 128);
                converter_ = &TColorManager::ConvertYcc;
            }
            break;
        case TColorScheme::PhotoYcc:
            if (toRgb) {
                BuildYCbCrTables(137, 156);
                converter_ = &TColorManager::ConvertYcc;
            }
            break;
        default: break;
    }
    changed_ = false;
}

void TColorManager::ConvertRow(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                               std::uint8_t mask) {
    if (changed_) ChooseConverter();
    if (!converter_) throw EColorConversionError(std::string(NoConverter));
    (this->*converter_)(sources, target, count, mask);
}

void TColorManager::ConvertIndexed(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                                   std::uint8_t mask) {
    const bool swap = (SourceOptions & convert_options::ByteSwap) != 0;
    if (sourceBits_ == targetBits_ && mask == 255 && !(sourceBits_ == 16 && swap)) {
        std::memcpy(target, sources[0], (count * static_cast<std::size_t>(sourceBits_) + 7) / 8);
        return;
    }
    TSampleCursor in(sources[0], sourceBits_, swap);
    TMaskWalker walker(mask);
    for (std::size_t i = 0; i < count; ++i) {
        if (!walker.Next()) continue;
        WritePacked(target, i, targetBits_, Rescale(in.Next(), sourceBits_, targetBits_), swap);
    }
}

void TColorManager::ConvertGray(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                                std::uint8_t mask) {
    const bool swap = (SourceOptions & convert_options::ByteSwap) != 0;
    const bool alpha = (SourceOptions & convert_options::Alpha) != 0;
    TSampleCursor in(sources[0], sourceBits_, swap);
    TMaskWalker walker(mask);
    for (std::size_t i = 0; i < count; ++i) {
        if (!walker.Next()) continue;
        const int grey = in.Next();
        if (alpha) in.Skip(1);
        WritePacked(target, i, targetBits_, Rescale(grey, sourceBits_, targetBits_), swap);
    }
}

void TColorManager::ConvertGrayAlphaToColour(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                                              std::uint8_t mask) {
    const bool swap = (SourceOptions & convert_options::ByteSwap) != 0;
    // Interleaved grey and alpha, or a grey plane and an alpha plane.
    const bool planar = sources.size() > 1;
    TSampleCursor greys(sources[0], sourceBits_, swap);
    TSampleCursor alphas(sources[planar ? 1 : 0], sourceBits_, swap);
    if (!planar) alphas.Skip(1);
    TMaskWalker walker(mask);
    for (std::size_t i = 0; i < count; ++i, target += 4) {
        if (!walker.Next()) continue;
        const auto grey = Gamma(static_cast<std::uint8_t>(Rescale(greys.Next(), sourceBits_, 8)));
        const auto alpha = static_cast<std::uint8_t>(Rescale(alphas.Next(), sourceBits_, 8));
        if (!planar) {
            greys.Skip(1);
            alphas.Skip(1);
        }
        target[0] = target[1] = target[2] = grey;
        target[3] = alpha;
    }
}

void TColorManager::ConvertRgb(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                               std::uint8_t mask) {
    const bool swap = (SourceOptions & convert_options::ByteSwap) != 0;
    const bool sourceAlpha = (SourceOptions & convert_options::Alpha) != 0;
    const bool targetAlpha = (TargetOptions & convert_options::Alpha) != 0;
    const bool sourceBgr = IsBgrFamily(sourceScheme_);
    const bool targetBgr = IsBgrFamily(targetScheme_);
    const std::size_t targetStep = targetAlpha ? 4 : 3;
    const bool planar = sources.size() > 1;
    // Whole rows of interleaved 8-bit samples, the common case, take the short way: the
    // same bytes through one table lookup a sample.
    if (sourceBits_ == 8 && !planar && mask == 0xFF) {
        std::array<std::uint8_t, 256> table;
        for (int v = 0; v < 256; ++v) table[static_cast<std::size_t>(v)] = Gamma(static_cast<std::uint8_t>(v));
        const std::uint8_t* s = sources[0];
        const std::size_t sourceStep = sourceAlpha ? 4 : 3;
        const std::size_t first = sourceBgr == targetBgr ? 0 : 2, last = 2 - first;
        for (std::size_t i = 0; i < count; ++i, s += sourceStep, target += targetStep) {
            target[0] = table[s[first]];
            target[1] = table[s[1]];
            target[2] = table[s[last]];
            if (targetAlpha && sourceAlpha) target[3] = s[3];
        }
        return;
    }
    std::vector<TSampleCursor> cursors;
    for (std::size_t k = 0; k < (planar ? sources.size() : 1); ++k) cursors.emplace_back(sources[k], sourceBits_, swap);
    auto sample = [&](std::size_t plane) { return Rescale(cursors[planar ? plane : 0].Next(), sourceBits_, 8); };
    TMaskWalker walker(mask);
    // With a conversion of the caller's, 16-bit samples are gathered whole and their
    // colours spread back afterwards.
    const bool gather = Rgb16ToBgr && sourceBits_ == 16;
    std::vector<std::uint16_t> wide;
    std::vector<std::uint8_t*> targets;
    if (gather) {
        wide.reserve(3 * count);
        targets.reserve(count);
    }
    for (std::size_t i = 0; i < count; ++i, target += targetStep) {
        if (!walker.Next()) continue;
        if (gather) {
            int c[3];
            for (std::size_t k = 0; k < 3; ++k) c[k] = cursors[planar ? k : 0].Next();
            wide.insert(wide.end(), {static_cast<std::uint16_t>(sourceBgr ? c[2] : c[0]), static_cast<std::uint16_t>(c[1]),
                                     static_cast<std::uint16_t>(sourceBgr ? c[0] : c[2])});
            if (sourceAlpha) {
                const int alpha = sample(3);
                if (targetAlpha) target[3] = static_cast<std::uint8_t>(alpha);
            }
            targets.push_back(target);
            continue;
        }
        int c[3];
        for (std::size_t k = 0; k < 3; ++k) c[k] = sample(k);
        const int red = sourceBgr ? c[2] : c[0], green = c[1], blue = sourceBgr ? c[0] : c[2];
        int alpha = -1;
        if (sourceAlpha) alpha = sample(3);
        target[0] = Gamma(static_cast<std::uint8_t>(targetBgr ? blue : red));
        target[1] = Gamma(static_cast<std::uint8_t>(green));
        target[2] = Gamma(static_cast<std::uint8_t>(targetBgr ? red : blue));
        if (targetAlpha && alpha >= 0) target[3] = static_cast<std::uint8_t>(alpha);
    }
    if (targets.empty()) return;
    std::vector<std::uint8_t> bgr(3 * targets.size());
    Rgb16ToBgr(wide.data(), bgr.data(), targets.size());
    SpreadBgr(bgr, targets, targetBgr);
}

void TColorManager::ConvertCmyk(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                                std::uint8_t mask) {
    const bool swap = (SourceOptions & convert_options::ByteSwap) != 0;
    const bool targetBgr = IsBgrFamily(targetScheme_);
    const std::size_t targetStep = (TargetOptions & convert_options::Alpha) ? 4 : 3;
    const bool planar = sources.size() > 1;
    std::vector<TSampleCursor> cursors;
    for (std::size_t k = 0; k < (planar ? sources.size() : 1); ++k) cursors.emplace_back(sources[k], sourceBits_, swap);
    const bool wide = sourceBits_ == 16;
    const bool alphaOut = (TargetOptions & convert_options::Alpha) != 0;
    TMaskWalker walker(mask);
    // With a conversion of the caller's, the ink amounts of the converted pixels are
    // gathered at 8 bits and their colours spread back afterwards.
    std::vector<std::uint8_t> inks;
    std::vector<std::uint8_t*> targets;
    for (std::size_t i = 0; i < count; ++i, target += targetStep) {
        if (!walker.Next()) continue;
        std::int64_t v[4];
        for (std::size_t k = 0; k < 4; ++k) v[k] = cursors[planar ? k : 0].Next();
        // A fifth sample is alpha, kept when the target has alpha.
        if (sourceSamples_ > 4) {
            const int extra = cursors[planar ? 4 : 0].Next();
            if (alphaOut) target[3] = static_cast<std::uint8_t>(Rescale(extra, sourceBits_, 8));
            if (!planar) cursors[0].Skip(sourceSamples_ - 5);
        }
        if (!wide && sourceBits_ != 8) {
            for (auto& x : v) x = Rescale(static_cast<int>(x), sourceBits_, 8);
        }
        if (CmykToBgr) {
            for (const std::int64_t x : v) inks.push_back(static_cast<std::uint8_t>(wide ? x >> 8 : x));
            targets.push_back(target);
            continue;
        }
        std::uint8_t rgb[3];
        for (std::size_t k = 0; k < 3; ++k) {
            rgb[k] = wide ? ClampInt(static_cast<int>(255 - (v[k] + v[3] - v[k] * v[3] / 65535) * 255 / 65535))
                          : ClampInt(static_cast<int>(255 - (v[k] + v[3] - v[k] * v[3] / 255)));
        }
        target[0] = targetBgr ? rgb[2] : rgb[0];
        target[1] = rgb[1];
        target[2] = targetBgr ? rgb[0] : rgb[2];
    }
    if (targets.empty()) return;
    std::vector<std::uint8_t> bgr(3 * targets.size());
    CmykToBgr(inks.data(), bgr.data(), targets.size());
    SpreadBgr(bgr, targets, targetBgr);
}

void TColorManager::SpreadBgr(std::span<const std::uint8_t> bgr, std::span<std::uint8_t* const> targets, bool targetBgr) {
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::uint8_t* c = &bgr[3 * i];
        targets[i][0] = targetBgr ? c[0] : c[2];
        targets[i][1] = c[1];
        targets[i][2] = targetBgr ? c[2] : c[0];
    }
}

void TColorManager::ConvertLab(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                               std::uint8_t mask) {
    const bool swap = (SourceOptions & convert_options::ByteSwap) != 0;
    const bool targetBgr = IsBgrFamily(targetScheme_);
    const bool alphaOut = (TargetOptions & convert_options::Alpha) != 0 && sourceSamples_ >= 4;
    const std::size_t targetStep = (TargetOptions & convert_options::Alpha) ? 4 : 3;
    const bool planar = sources.size() > 1;
    const int sourceStep = sourceSamples_;
    const bool wide = sourceBits_ == 16;
    // L* runs over the whole range of the sample (or is stored as 0..100 in a byte); a* and
    // b* are signed samples, or unsigned ones centred on half their range.
    const double lScale = wide ? 100.0 / 65535 : (SourceOptions & convert_options::LabByteRange) ? 100.0 / 255 : 1.0;
    const bool centred = (SourceOptions & convert_options::LabChromaOffset) != 0;
    auto chroma = [wide, centred](int raw) {
        if (wide) return (centred ? raw - 32768 : static_cast<std::int16_t>(raw)) / 256.0;
        return static_cast<double>(centred ? raw - 128 : static_cast<std::int8_t>(raw));
    };
    std::vector<TSampleCursor> cursors;
    for (std::size_t k = 0; k < (planar ? sources.size() : 1); ++k) cursors.emplace_back(sources[k], sourceBits_, swap);
    TMaskWalker walker(mask);
    // With a conversion of the caller's, the L*a*b* values are gathered and their colours
    // spread back afterwards.
    std::vector<double> lab;
    std::vector<std::uint8_t*> targets;
    for (std::size_t i = 0; i < count; ++i, target += targetStep) {
        if (!walker.Next()) continue;
        const double l = cursors[0].Next() * lScale;
        const double a = chroma(cursors[planar ? 1 : 0].Next());
        const double b = chroma(cursors[planar ? 2 : 0].Next());
        if (alphaOut) target[3] = static_cast<std::uint8_t>(Rescale(cursors[planar ? 3 : 0].Next(), sourceBits_, 8));
        if (!planar && sourceStep > (alphaOut ? 4 : 3)) cursors[0].Skip(sourceStep - (alphaOut ? 4 : 3));
        if (LabToBgr) {
            lab.insert(lab.end(), {l, a, b});
            targets.push_back(target);
            continue;
        }
        double x, y, z;
        if (l < 7.9996) {
            y = l / 903.3;
            x = y + a / 3893.5;
            z = y - b / 1557.4;
        } else {
            const double f = (l + 16) / 116;
            x = std::pow(f + a / 500, 3);
            y = f * f * f;
            z = std::pow(f - b / 200, 3);
        }
        const std::uint8_t blue = Clamp(std::nearbyint(255 * (0.099 * x - 0.198 * y + 1.099 * z)));
        const std::uint8_t green = Clamp(std::nearbyint(255 * (-0.952 * x + 1.893 * y + 0.059 * z)));
        const std::uint8_t red = Clamp(std::nearbyint(255 * (2.998 * x - 1.458 * y - 0.541 * z)));
        target[0] = targetBgr ? blue : red;
        target[1] = green;
        target[2] = targetBgr ? red : blue;
    }
    if (targets.empty()) return;
    std::vector<std::uint8_t> bgr(3 * targets.size());
    LabToBgr(lab.data(), bgr.data(), targets.size());
    SpreadBgr(bgr, targets, targetBgr);
}

void TColorManager::ConvertYcc(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count,
                               std::uint8_t mask) {
    const bool swap = (SourceOptions & convert_options::ByteSwap) != 0;
    const bool targetBgr = IsBgrFamily(targetScheme_);
    const std::size_t targetStep = (TargetOptions & convert_options::Alpha) ? 4 : 3;
    const bool planar = sources.size() > 1;
    std::vector<TSampleCursor> cursors;
    for (std::size_t k = 0; k < (planar ? sources.size() : 1); ++k) cursors.emplace_back(sources[k], sourceBits_, swap);
    TMaskWalker walker(mask);
    for (std::size_t i = 0; i < count; ++i, target += targetStep) {
        if (!walker.Next()) continue;
        const int y = yccRange_[0][static_cast<std::size_t>(Rescale(cursors[0].Next(), sourceBits_, 8))];
        const std::size_t cb = yccRange_[1][static_cast<std::size_t>(Rescale(cursors[planar ? 1 : 0].Next(), sourceBits_, 8))];
        const std::size_t cr = yccRange_[2][static_cast<std::size_t>(Rescale(cursors[planar ? 2 : 0].Next(), sourceBits_, 8))];
        if (!planar && sourceSamples_ > 3) cursors[0].Skip(sourceSamples_ - 3);
        const std::uint8_t blue = ClampInt(y + cbToBlue_[cb]);
        const std::uint8_t green = ClampInt(y + cbToGreen_[cb] + crToGreen_[cr]);
        const std::uint8_t red = ClampInt(y + crToRed_[cr]);
        target[0] = targetBgr ? blue : red;
        target[1] = green;
        target[2] = targetBgr ? red : blue;
    }
}

TPalette TColorManager::CreateColorPalette(std::span<const std::uint8_t* const> sources, TPaletteLayout layout, std::size_t count,
                                           bool bgrOrder) const {
    count = std::min<std::size_t>(count, 256);
    TPalette palette(count);
    const bool wide = layout >= TPaletteLayout::Interleaved16;
    const bool planar = layout == TPaletteLayout::Planar8 || layout == TPaletteLayout::Planar8Alt ||
                        layout == TPaletteLayout::Planar16 || layout == TPaletteLayout::Planar16Alt;
    const std::size_t entryBytes = (layout == TPaletteLayout::Interleaved8Quad || layout == TPaletteLayout::Interleaved16Quad ? 4 : 3) * (wide ? 2 : 1);
    auto value = [&](const std::uint8_t* p) -> std::uint8_t {
        const int v = wide ? Read16(p) * 255 / 65535 : *p;
        return Gamma(static_cast<std::uint8_t>(v));
    };
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t rgb[3];
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint8_t* p = planar ? sources[k] + i * (wide ? 2 : 1) : sources[0] + i * entryBytes + k * (wide ? 2 : 1);
            rgb[k] = value(p);
        }
        if (!planar && bgrOrder) std::swap(rgb[0], rgb[2]);
        palette[i] = {rgb[2], rgb[1], rgb[0], 0};
    }
    if (targetBits_ <= 8 && sourceBits_ <= 16) {
        const int s = MaxValue(sourceBits_), t = MaxValue(targetBits_);
        if (s != t && s < 65535) {
            palette.resize(std::max<std::size_t>(palette.size(), static_cast<std::size_t>(t) + 1));
            auto take = [&](int i) {
                const auto from = static_cast<std::size_t>(static_cast<std::uint16_t>(i * s / t));
                palette[static_cast<std::size_t>(i)] = from < count ? palette[from] : TRGBQuad{};
            };
            if (s >= t) {
                for (int i = 0; i <= t; ++i) take(i);
            } else {
                for (int i = t; i >= 0; --i) take(i);
            }
            palette.resize(static_cast<std::size_t>(t) + 1);
        }
    }
    return palette;
}

TPalette TColorManager::CreateGrayscalePalette(bool minIsWhite) const {
    const int bits = std::min(targetBits_ * targetSamples_, 8);
    const int n = 1 << bits;
    const int step = 255 / (n - 1);
    TPalette palette(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::uint8_t grey = Gamma(static_cast<std::uint8_t>(i * step));
        palette[static_cast<std::size_t>(minIsWhite ? n - 1 - i : i)] = {grey, grey, grey, 0};
    }
    return palette;
}

}  // namespace pictorand
