// The lossless animated WebP writer: libwebp's animation encoder, which finds the part of
// each frame that changed and encodes only that, every pixel exact.
#include "Animation.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <new>
#include <stdexcept>
#include <string_view>

namespace ombrix {

namespace {

// The lossless effort, 0 (fastest) to 9 (smallest): the automaton's frames differ from
// each other all over, and higher levels cost far more time than they save bytes.
constexpr int WebpLosslessLevel = 1;

std::runtime_error EncoderFailure(const char* what) {
    return std::runtime_error(std::string("the WebP encoder failed: ") +
                              (what && *what ? what : "out of memory"));
}

class TWebpWriter final : public TAnimationWriter {
public:
    TWebpWriter(const std::string& path, const TAnimationSpec& spec)
        : TAnimationWriter(path), Spec_(spec) {
        CheckAnimationSpec(spec, MaxWebpSide);
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&Config_) ||
            !WebPConfigLosslessPreset(&Config_, WebpLosslessLevel) || !WebPPictureInit(&Frame_))
            throw std::runtime_error("the WebP library does not match the one built against");
        options.anim_params.loop_count = spec.Loop;
        options.allow_mixed = 0;
        Config_.exact = 1;
        Frame_.use_argb = 1;
        Frame_.width = spec.Width;
        Frame_.height = spec.Height;
        if (!WebPPictureAlloc(&Frame_))
            throw std::bad_alloc();
        Encoder_ = WebPAnimEncoderNew(spec.Width, spec.Height, &options);
        if (!Encoder_) {
            WebPPictureFree(&Frame_);
            throw std::bad_alloc();
        }
    }

    ~TWebpWriter() override {
        WebPAnimEncoderDelete(Encoder_);
        WebPPictureFree(&Frame_);
    }

    void Add(const TPixelImage& frame) override {
        if (frame.Width() != Spec_.Width || frame.Height() != Spec_.Height)
            throw std::invalid_argument("an animation frame of another size");
        for (int y = 0; y < Spec_.Height; ++y) {
            const TColor* in = frame.Row(y);
            std::uint32_t* out = Frame_.argb + std::ptrdiff_t(y) * Frame_.argb_stride;
            for (int x = 0; x < Spec_.Width; ++x) {
                const TColor c = in[x]; // 0x00BBGGRR to 0xAARRGGBB
                out[x] =
                    0xFF000000u | (c & 0x0000FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
            }
        }
        if (!WebPAnimEncoderAdd(Encoder_, &Frame_, Timestamp_, &Config_))
            throw EncoderFailure(WebPAnimEncoderGetError(Encoder_));
        Timestamp_ += Spec_.Delay;
        ++Frames_;
    }

    void FinishInto(const std::function<void(std::string_view)>& write) override {
        if (Frames_ == 0)
            throw std::logic_error("an animation needs a frame");
        // The last frame's time ends with an empty frame.
        if (!WebPAnimEncoderAdd(Encoder_, nullptr, Timestamp_, nullptr))
            throw EncoderFailure(WebPAnimEncoderGetError(Encoder_));
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAssemble(Encoder_, &data))
            throw EncoderFailure(WebPAnimEncoderGetError(Encoder_));
        try {
            write(std::string_view(reinterpret_cast<const char*>(data.bytes), data.size));
        } catch (...) {
            WebPDataClear(&data);
            throw;
        }
        WebPDataClear(&data);
    }

private:
    TAnimationSpec Spec_;
    WebPConfig Config_{};
    WebPPicture Frame_{};
    WebPAnimEncoder* Encoder_ = nullptr;
    int Timestamp_ = 0;
    std::int64_t Frames_ = 0;
};

} // namespace

std::unique_ptr<TAnimationWriter> NewWebpWriter(const std::string& path,
                                                const TAnimationSpec& spec) {
    return std::make_unique<TWebpWriter>(path, spec);
}

} // namespace ombrix
