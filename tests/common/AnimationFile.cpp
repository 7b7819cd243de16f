#include "AnimationFile.h"

#include "Files.h"

#include <gif_lib.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace ombrix::testing {

std::vector<TPixelImage> TDecodedAnimation::Timeline(int step) const {
    std::vector<TPixelImage> shown;
    int end = 0;
    for (std::size_t i = 0; i < Frames.size(); ++i) {
        end += Durations[i];
        while (static_cast<int>(shown.size()) * step < end)
            shown.push_back(Frames[i]);
    }
    return shown;
}

namespace {

TColor Pixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
    return TColor(r) | TColor(g) << 8 | TColor(b) << 16 | TColor(255 - a) << 24;
}

} // namespace

TDecodedAnimation DecodeWebp(const std::string& path) {
    const std::string bytes = ReadFile(path);
    const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    const std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(
        WebPAnimDecoderNew(&data, &options), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
        throw std::runtime_error("not an animated WebP file: " + path);
    TDecodedAnimation result;
    result.Width = int(info.canvas_width);
    result.Height = int(info.canvas_height);
    result.Plays = int(info.loop_count);
    int before = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        std::uint8_t* rgba = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &rgba, &timestamp))
            throw std::runtime_error("a broken frame in " + path);
        TPixelImage frame(result.Width, result.Height);
        for (int y = 0; y < result.Height; ++y)
            for (int x = 0; x < result.Width; ++x, rgba += 4)
                frame.SetPixel(x, y, Pixel(rgba[0], rgba[1], rgba[2], rgba[3]));
        result.Frames.push_back(std::move(frame));
        result.Durations.push_back(timestamp - before);
        before = timestamp;
    }
    return result;
}

TDecodedAnimation DecodeGif(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        throw std::runtime_error("giflib cannot open " + path + ": " + GifErrorString(error));
    const std::unique_ptr<GifFileType, void (*)(GifFileType*)> owner(
        gif, [](GifFileType* g) { DGifCloseFile(g, nullptr); });
    if (DGifSlurp(gif) != GIF_OK)
        throw std::runtime_error("giflib cannot read " + path + ": " + GifErrorString(gif->Error));
    TDecodedAnimation result;
    result.Width = gif->SWidth;
    result.Height = gif->SHeight;
    result.Plays = 1;
    if (gif->SColorMap)
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType c = gif->SColorMap->Colors[i];
            result.ColorMap.push_back(Pixel(c.Red, c.Green, c.Blue));
        }
    TPixelImage canvas(result.Width, result.Height);
    std::fill(canvas.Data(), canvas.Data() + std::size_t(result.Width) * result.Height,
              0xFF000000u); // no frame drawn yet: transparent
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        for (int b = 0; b + 1 < image.ExtensionBlockCount; ++b) {
            const ExtensionBlock& block = image.ExtensionBlocks[b];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                const ExtensionBlock& count = image.ExtensionBlocks[b + 1];
                const int repeats = count.Bytes[1] | count.Bytes[2] << 8;
                result.Plays = repeats == 0 ? 0 : repeats + 1;
            }
        }
        GraphicsControlBlock control{};
        if (DGifSavedExtensionToGCB(gif, i, &control) != GIF_OK)
            control.DelayTime = 0;
        if (control.DisposalMode > DISPOSE_DO_NOT)
            throw std::runtime_error("a disposal this reader does not follow in " + path);
        const GifImageDesc& d = image.ImageDesc;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[y * d.Width + x];
                if (index == control.TransparentColor)
                    continue;
                const GifColorType c = map->Colors[index];
                canvas.SetPixel(d.Left + x, d.Top + y, Pixel(c.Red, c.Green, c.Blue));
            }
        result.Frames.push_back(canvas);
        result.Durations.push_back(control.DelayTime * 10);
        result.Rects.push_back({d.Left, d.Top, d.Width, d.Height});
    }
    return result;
}

} // namespace ombrix::testing
