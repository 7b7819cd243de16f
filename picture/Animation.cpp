#include "Animation.h"

#include "SafeFile.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace ombrix {

void TAnimationWriter::Finish() {
    FinishInto([this](std::string_view bytes) { ReplaceFile(Path_, {bytes}); });
}

std::unique_ptr<TAnimationWriter> NewAnimationWriter(TAnimationFormat format,
                                                     const std::string& path,
                                                     const TAnimationLayout& layout) {
    return format == TAnimationFormat::Webp ? NewWebpWriter(path, layout)
                                            : NewGifWriter(path, layout);
}

void CheckAnimationLayout(const TAnimationLayout& layout, int maxSide) {
    if (layout.Width < 1 || layout.Height < 1 || layout.Width > maxSide || layout.Height > maxSide)
        throw std::invalid_argument("animation frames of " + std::to_string(layout.Width) + " x " +
                                    std::to_string(layout.Height) + " pixels");
    if (layout.Delay < MinFrameDelay || layout.Delay > MaxFrameDelay)
        throw std::invalid_argument("animation delay of " + std::to_string(layout.Delay) + " ms");
    if (layout.Loop < 0 || layout.Loop > MaxLoopCount)
        throw std::invalid_argument("animation loop count " + std::to_string(layout.Loop));
}

std::vector<TColor> DistinctColors(const TColor* table, int count) {
    std::vector<TColor> colors;
    for (int i = 0; i < count; ++i)
        if (std::find(colors.begin(), colors.end(), table[i]) == colors.end())
            colors.push_back(table[i]);
    return colors;
}

int GifDelay(std::int32_t ms) {
    return (ms + 5) / 10;
}

std::uint64_t AnimationWorkingBytes(TAnimationFormat format, int width, int height) {
    const std::uint64_t frame = std::uint64_t(width) * std::uint64_t(height) * 4;
    // The renderer's tile and picture, then for WebP the encoder's input, its copy, the
    // previous canvas twice and the candidate sub-frames with their encoder's buffers;
    // for GIF the previous frame and a row of indices.
    return frame * (format == TAnimationFormat::Webp ? 12 : 3);
}

std::optional<std::uint64_t> AvailableMemory() {
    std::ifstream info("/proc/meminfo");
    std::string key;
    std::uint64_t kilobytes = 0;
    std::string unit;
    while (info >> key >> kilobytes >> unit)
        if (key == "MemAvailable:")
            return kilobytes * 1024;
    return std::nullopt;
}

void CheckAnimationFits(TAnimationFormat format, int width, int height, std::int64_t frames,
                        std::int32_t delay, std::optional<std::uint64_t> available) {
    const bool webp = format == TAnimationFormat::Webp;
    const auto size = std::to_string(width) + " x " + std::to_string(height);
    if (webp && std::max(width, height) > MaxWebpSide)
        throw std::runtime_error("a WebP picture is at most " + std::to_string(MaxWebpSide) +
                                 " pixels on a side, not " + size);
    if (webp && frames * delay > std::numeric_limits<int>::max())
        throw std::runtime_error("a WebP animation lasts at most " +
                                 std::to_string(std::numeric_limits<int>::max() / 1000) +
                                 " seconds, not " + std::to_string(frames * delay / 1000) +
                                 " (fewer frames or a shorter --delay)");
    const std::uint64_t needed = AnimationWorkingBytes(format, width, height);
    if (available && needed > *available)
        throw std::runtime_error("an animation of " + size + " frames needs about " +
                                 std::to_string(needed >> 20) + " MB of memory at once; " +
                                 std::to_string(*available >> 20) + " MB are free");
}

} // namespace ombrix
