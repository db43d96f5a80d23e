#include "resample/weight_lists.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <future>
#include <mutex>
#include <string>

#include "graphics/exceptions.h"

namespace pictorand {

namespace {
using Extended = long double;
constexpr std::string_view DestinationTooSmall = "Destination bitmap too small";
}  // namespace

float ResampleScale(int sourceSize, int destSize) {
    if (sourceSize == 1) return static_cast<float>(static_cast<Extended>(destSize) / sourceSize);
    return static_cast<float>(static_cast<Extended>(destSize - 1) / (sourceSize - 1));
}

TWeightLists::TWeightLists(int sourceSize, int destSize, FilterKernel kernel, float support, TSamplingGrid grid) {
    if (destSize < 1) throw EInvalidGraphicOperation(std::string(DestinationTooSmall));
    const bool centres = grid == TSamplingGrid::Centres;
    const float scale = centres ? static_cast<float>(static_cast<Extended>(destSize) / sourceSize) : ResampleScale(sourceSize, destSize);
    if (scale == 0) throw EZeroDivide(std::string(runtime_texts::ZeroDivide));
    const bool shrinking = scale < 1;
    const float width = shrinking ? static_cast<float>(static_cast<Extended>(support) / scale) : support;
    const float fscale = shrinking ? static_cast<float>(1 / static_cast<Extended>(scale)) : 1.0f;

    starts_.reserve(static_cast<std::size_t>(destSize) + 1);
    entries_.reserve(static_cast<std::size_t>(destSize) * static_cast<std::size_t>(std::min(2 * width + 3, 2.0f * sourceSize + 3)));
    starts_.push_back(0);
    for (int i = 0; i < destSize; ++i) {
        const float centre = centres ? static_cast<float>((i + Extended{0.5}) * sourceSize / destSize - Extended{0.5})
                                     : static_cast<float>(i / static_cast<Extended>(scale));
        const std::size_t first = entries_.size();
        const auto left = static_cast<std::int64_t>(std::floor(static_cast<Extended>(centre) - width));
        const auto right = static_cast<std::int64_t>(std::ceil(static_cast<Extended>(centre) + width));
        for (std::int64_t j = left; j <= right; ++j) {
            const Extended distance = static_cast<Extended>(centre) - static_cast<Extended>(j);
            const float weight = shrinking ? static_cast<float>(kernel(static_cast<float>(distance / fscale)) / static_cast<Extended>(fscale))
                                           : kernel(static_cast<float>(distance));
            if (weight == 0) continue;
            // Reflected once at the borders, then held inside the source, which a tiny
            // source needs when the kernel reaches further than one reflection.
            std::int64_t index = j < 0 ? -j : j >= sourceSize ? 2 * std::int64_t{sourceSize} - j - 1 : j;
            index = std::clamp<std::int64_t>(index, 0, sourceSize - 1);
            entries_.push_back({static_cast<std::int32_t>(index), weight});
        }
        if (centres) {
            float sum = 0;
            for (std::size_t k = first; k < entries_.size(); ++k) sum += entries_[k].Weight;
            if (sum != 0) {
                for (std::size_t k = first; k < entries_.size(); ++k) entries_[k].Weight /= sum;
            }
        }
        starts_.push_back(entries_.size());
        maxLength_ = std::max(maxLength_, static_cast<int>(starts_.back() - starts_[starts_.size() - 2]));
    }
}

std::shared_ptr<const TWeightLists> SharedWeightLists(int sourceSize, int destSize, FilterKernel kernel, float support,
                                                      TSamplingGrid grid) {
    struct TKept {
        int SourceSize, DestSize;
        FilterKernel Kernel;
        float Support;
        TSamplingGrid Grid;
        std::shared_ptr<const TWeightLists> Lists;
    };
    // Both directions of a few sizes of picture, for every thread of a run.
    constexpr std::size_t Kept = 8;
    static std::mutex guard;
    static std::vector<TKept> kept;
    static std::size_t next = 0;
    {
        std::lock_guard lock(guard);
        for (const TKept& k : kept) {
            if (k.SourceSize == sourceSize && k.DestSize == destSize && k.Kernel == kernel && k.Support == support && k.Grid == grid) return k.Lists;
        }
    }
    // Built outside the lock: two threads may build the same lists, and both are right.
    auto lists = std::make_shared<const TWeightLists>(sourceSize, destSize, kernel, support, grid);
    TKept entry{sourceSize, destSize, kernel, support, grid, lists};
    std::lock_guard lock(guard);
    if (kept.size() < Kept) {
        kept.push_back(std::move(entry));
    } else {
        kept[next] = std::move(entry);
        next = (next + 1) % Kept;
    }
    return lists;
}

std::pair<std::shared_ptr<const TWeightLists>, std::shared_ptr<const TWeightLists>> BothWeightLists(
    int sourceWidth, int sourceHeight, int destWidth, int destHeight, FilterKernel kernel, float support, TSamplingGrid grid, int threads) {
    if (threads < 2) {
        auto horizontal = SharedWeightLists(sourceWidth, destWidth, kernel, support, grid);
        return {std::move(horizontal), SharedWeightLists(sourceHeight, destHeight, kernel, support, grid)};
    }
    auto vertical = std::async(std::launch::async, [=] { return SharedWeightLists(sourceHeight, destHeight, kernel, support, grid); });
    std::shared_ptr<const TWeightLists> horizontal;
    std::exception_ptr failure;
    try {
        horizontal = SharedWeightLists(sourceWidth, destWidth, kernel, support, grid);
    } catch (...) {
        failure = std::current_exception();
    }
    // The vertical lists are waited for (and their failure raised) whatever the horizontal did.
    auto verticalLists = vertical.get();
    if (failure) std::rethrow_exception(failure);
    return {std::move(horizontal), std::move(verticalLists)};
}

}  // namespace pictorand
