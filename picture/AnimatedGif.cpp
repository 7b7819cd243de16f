// The GIF writer: one global colour map with the animation's colours, each frame after the
// first cropped to the rectangle that changed and drawn over the one before. The encoded
// bytes go to an unnamed spool file as they come, so memory stays at a frame or two
// however long the animation; Finish hands the spool to the safe replacement.
#include "Animation.h"

#include "ColorTable.h"
#include "Error.h"
#include "SafeFile.h"

#include <gif_lib.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace ombrix {

namespace {

constexpr int MaxGifSide = 65535;

// Bytes written to an unnamed file, read back whole through a mapping: in the target's
// folder where the file system allows unnamed files (the same disk the result goes to),
// else in the system's temporary folder.
class TSpool {
public:
    explicit TSpool(const std::string& target) {
        const std::string path = ReplacementTarget(target);
        const auto slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        Fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (Fd_ < 0) {
            File_ = std::tmpfile();
            if (!File_)
                throw TError(TFailure::CreateFile, target, {errno, std::system_category()});
            Fd_ = ::fileno(File_);
        }
        Buffer_.reserve(BufferSize);
    }
    TSpool(const TSpool&) = delete;
    TSpool& operator=(const TSpool&) = delete;
    ~TSpool() {
        if (Map_)
            ::munmap(Map_, Size_);
        if (File_)
            std::fclose(File_);
        else
            ::close(Fd_);
    }

    /// False once a write has failed (disk full, size limit).
    bool Append(const void* data, std::size_t size) {
        Buffer_.append(static_cast<const char*>(data), size);
        return Buffer_.size() < BufferSize || Flush();
    }

    /// Why the last write or the read back failed (errno).
    int Error() const { return Error_; }

    /// All bytes written; nothing when they cannot be read back.
    std::optional<std::string_view> Bytes() {
        if (!Flush())
            return std::nullopt;
        if (Size_ == 0)
            return std::string_view();
        Map_ = ::mmap(nullptr, Size_, PROT_READ, MAP_PRIVATE, Fd_, 0);
        if (Map_ == MAP_FAILED) {
            Error_ = errno;
            Map_ = nullptr;
            return std::nullopt;
        }
        return std::string_view(static_cast<const char*>(Map_), Size_);
    }

private:
    static constexpr std::size_t BufferSize = std::size_t{1} << 20;

    bool Flush() {
        std::size_t done = 0;
        while (Ok_ && done < Buffer_.size()) {
            const ssize_t n = ::write(Fd_, Buffer_.data() + done, Buffer_.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            Ok_ = n > 0;
            if (!Ok_)
                Error_ = n < 0 ? errno : ENOSPC;
            if (Ok_)
                done += static_cast<std::size_t>(n);
        }
        Size_ += done;
        Buffer_.clear();
        return Ok_;
    }

    int Fd_ = -1;
    std::FILE* File_ = nullptr;
    std::string Buffer_;
    std::size_t Size_ = 0;
    void* Map_ = nullptr;
    bool Ok_ = true;
    int Error_ = 0;
};

// Colour to colour-map index: an open-addressing table of twice the colours' power of two.
class TColorIndex {
public:
    explicit TColorIndex(const std::vector<TColor>& colors) {
        Keys_.fill(Empty);
        for (std::size_t i = 0; i < colors.size(); ++i) {
            std::size_t slot = Slot(colors[i]);
            while (Keys_[slot] != Empty && Keys_[slot] != colors[i])
                slot = (slot + 1) % Keys_.size();
            if (Keys_[slot] == Empty) {
                Keys_[slot] = colors[i];
                Values_[slot] = static_cast<GifPixelType>(i);
            }
        }
    }
    GifPixelType operator()(TColor color) const {
        for (std::size_t slot = Slot(color);; slot = (slot + 1) % Keys_.size()) {
            if (Keys_[slot] == color)
                return Values_[slot];
            if (Keys_[slot] == Empty)
                throw std::invalid_argument("a frame colour outside the animation's colours");
        }
    }

private:
    static constexpr std::uint32_t Empty = 0xFFFFFFFFu; // no TColor has a high byte
    static std::size_t Slot(TColor c) { return (c * 2654435761u) >> 23; }
    std::array<std::uint32_t, 512> Keys_;
    std::array<GifPixelType, 512> Values_{};
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// The smallest rectangle holding every pixel where `a` and `b` differ; 1 x 1 at the origin
// when they are the same (a GIF frame cannot be empty).
TRect ChangedRect(const TPixelImage& a, const TPixelImage& b) {
    int left = a.Width(), right = -1, top = -1, bottom = -1;
    for (int y = 0; y < a.Height(); ++y) {
        const TColor* p = a.Row(y);
        const TColor* q = b.Row(y);
        if (std::memcmp(p, q, sizeof(TColor) * std::size_t(a.Width())) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int x = 0;
        while (p[x] == q[x])
            ++x;
        left = std::min(left, x);
        x = a.Width() - 1;
        while (p[x] == q[x])
            --x;
        right = std::max(right, x);
    }
    if (top < 0)
        return {0, 0, 1, 1};
    return {left, top, right - left + 1, bottom - top + 1};
}

int PowerOfTwoAtLeast(std::size_t n) {
    int size = 2;
    while (std::size_t(size) < n)
        size *= 2;
    return size;
}

const TAnimationLayout& ValidGifLayout(const TAnimationLayout& layout) {
    CheckAnimationLayout(layout, MaxGifSide);
    if (layout.Colors.empty() || layout.Colors.size() > 256)
        throw std::invalid_argument("a GIF animation takes 1 to 256 colours");
    return layout;
}

class TGifWriter final : public TAnimationWriter {
public:
    TGifWriter(const std::string& path, const TAnimationLayout& layout)
        : TAnimationWriter(path), Layout_(ValidGifLayout(layout)), Spool_(path),
          Index_(layout.Colors), Line_(std::size_t(layout.Width)) {
        int error = 0;
        Gif_ = EGifOpen(this, &TGifWriter::Output, &error);
        if (!Gif_)
            throw std::bad_alloc();
        try {
            Begin();
        } catch (...) {
            EGifCloseFile(Gif_, nullptr);
            throw;
        }
    }

    ~TGifWriter() override {
        if (Gif_)
            EGifCloseFile(Gif_, nullptr);
    }

private:
    // The header: the screen with the global colour map, then how often to play.
    void Begin() {
        const TAnimationLayout& layout = Layout_;
        EGifSetGifVersion(Gif_, true);
        // giflib takes colour maps of a power-of-two size only.
        const int mapSize = PowerOfTwoAtLeast(layout.Colors.size());
        std::vector<GifColorType> entries(std::size_t(mapSize), GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < layout.Colors.size(); ++i)
            entries[i] = {static_cast<GifByteType>(RedOf(layout.Colors[i])),
                          static_cast<GifByteType>(GreenOf(layout.Colors[i])),
                          static_cast<GifByteType>(BlueOf(layout.Colors[i]))};
        ColorMapObject* map = GifMakeMapObject(mapSize, entries.data());
        if (!map)
            throw std::bad_alloc();
        const int put =
            EGifPutScreenDesc(Gif_, layout.Width, layout.Height, map->BitsPerPixel, 0, map);
        GifFreeMapObject(map);
        Check(put);
        // Plays once without the looping extension; else its count is the repeats after
        // the first play, 0 for ever.
        if (layout.Loop != 1) {
            const int repeats = layout.Loop == 0 ? 0 : layout.Loop - 1;
            const GifByteType count[] = {1, static_cast<GifByteType>(repeats & 0xFF),
                                         static_cast<GifByteType>(repeats >> 8)};
            Check(EGifPutExtensionLeader(Gif_, APPLICATION_EXT_FUNC_CODE));
            Check(EGifPutExtensionBlock(Gif_, 11, "NETSCAPE2.0"));
            Check(EGifPutExtensionBlock(Gif_, 3, count));
            Check(EGifPutExtensionTrailer(Gif_));
        }
    }

public:
    void Add(const TPixelImage& frame) override {
        if (frame.Width() != Layout_.Width || frame.Height() != Layout_.Height)
            throw std::invalid_argument("an animation frame of another size");
        const TRect rect = Frames_ == 0 ? TRect{0, 0, frame.Width(), frame.Height()}
                                        : ChangedRect(frame, Previous_);
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = GifDelay(Layout_.Delay);
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const auto length = EGifGCBToExtension(&control, extension);
        Check(EGifPutExtension(Gif_, GRAPHICS_EXT_FUNC_CODE, int(length), extension));
        Check(EGifPutImageDesc(Gif_, rect.Left, rect.Top, rect.Width, rect.Height, false, nullptr));
        for (int y = rect.Top; y < rect.Top + rect.Height; ++y) {
            const TColor* row = frame.Row(y) + rect.Left;
            for (int x = 0; x < rect.Width; ++x)
                Line_[std::size_t(x)] = Index_(row[x]);
            Check(EGifPutLine(Gif_, Line_.data(), rect.Width));
        }
        Previous_ = frame;
        ++Frames_;
    }

    void FinishInto(const std::function<void(std::string_view)>& write) override {
        if (Frames_ == 0)
            throw std::logic_error("an animation needs a frame");
        int error = 0;
        const int closed = EGifCloseFile(Gif_, &error);
        Gif_ = nullptr;
        if (closed != GIF_OK)
            Fail(error);
        const auto bytes = Spool_.Bytes();
        if (!bytes)
            SpoolFailed();
        write(*bytes);
    }

private:
    static int Output(GifFileType* gif, const GifByteType* data, int size) {
        auto* self = static_cast<TGifWriter*>(gif->UserData);
        return self->Spool_.Append(data, std::size_t(size)) ? size : 0;
    }

    // The spool took fewer bytes than written (a full disk, a size limit): a failure to
    // write the animation's file, with the system's reason.
    [[noreturn]] void SpoolFailed() const {
        throw TError(TFailure::WriteFile, Path(),
                     {Spool_.Error() ? Spool_.Error() : ENOSPC, std::system_category()});
    }

    [[noreturn]] void Fail(int error) const {
        if (error == E_GIF_ERR_NOT_ENOUGH_MEM)
            throw std::bad_alloc();
        if (error == E_GIF_ERR_WRITE_FAILED || error == E_GIF_ERR_DISK_IS_FULL)
            SpoolFailed();
        const char* text = GifErrorString(error);
        throw std::runtime_error(std::string("the GIF encoder failed: ") +
                                 (text ? text : "unknown error"));
    }

    void Check(int result) {
        if (result != GIF_OK)
            Fail(Gif_->Error);
    }

    TAnimationLayout Layout_;
    TSpool Spool_;
    TColorIndex Index_;
    std::vector<GifPixelType> Line_;
    TPixelImage Previous_;
    GifFileType* Gif_ = nullptr;
    std::int64_t Frames_ = 0;
};

} // namespace

std::unique_ptr<TAnimationWriter> NewGifWriter(const std::string& path,
                                               const TAnimationLayout& layout) {
    return std::make_unique<TGifWriter>(path, layout);
}

} // namespace ombrix
