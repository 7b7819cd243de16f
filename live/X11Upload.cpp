#include "X11Upload.h"

#include "SharedMemory.h"
#include "X11Tools.h"

#include <xcb/shm.h>

#include <bit>
#include <cstring>

#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ombrix {

TX11Upload::TX11Upload(xcb_connection_t* connection) : Connection_(connection) {
    // Memory can be shared only with a server on this machine (a Unix socket), in the
    // program's byte order, and handed over as a file descriptor (MIT-SHM 1.2).
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(xcb_get_file_descriptor(connection), reinterpret_cast<sockaddr*>(&address),
                    &length) != 0 ||
        address.ss_family != AF_UNIX)
        return;
    if ((xcb_get_setup(connection)->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST) !=
        (std::endian::native == std::endian::big))
        return;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
    if (!shm || !shm->present)
        return;
    const x11::TReply<xcb_shm_query_version_reply_t> version(
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 2))
        return;
    Major_ = shm->major_opcode;
    Completion_ = shm->first_event + XCB_SHM_COMPLETION;
}

TX11Upload::~TX11Upload() {
    DropSegment();
}

bool TX11Upload::MakeSegment(std::size_t bytes) {
    DropSegment();
    const TSharedMemory memory = MakeSharedMemory(bytes);
    if (memory.Fd < 0)
        return false;
    const std::uint32_t segment = xcb_generate_id(Connection_);
    // xcb sends the descriptor and closes it.
    if (x11::RequestError(Connection_,
                          xcb_shm_attach_fd_checked(Connection_, segment, memory.Fd, 0))) {
        munmap(memory.Pixels, bytes);
        return false;
    }
    Segment_ = segment;
    Memory_ = static_cast<std::uint32_t*>(memory.Pixels);
    Bytes_ = bytes;
    return true;
}

void TX11Upload::DropSegment() {
    if (!Segment_)
        return;
    Wait();
    xcb_shm_detach(Connection_, Segment_);
    munmap(Memory_, Bytes_);
    Segment_ = 0;
    Memory_ = nullptr;
    Bytes_ = 0;
}

void TX11Upload::Wait() {
    // Normally the completion came long before; else one round trip makes sure.
    if (Busy_)
        x11::Sync(Connection_);
    Busy_ = false;
}

std::uint32_t* TX11Upload::Pixels() {
    return Segment_ ? Memory_ : Copy_.data();
}

TRootPicture TX11Upload::Shown() const {
    return {Width_, Height_, Width_, Segment_ ? Memory_ : Copy_.data()};
}

std::uint32_t* TX11Upload::Memory(int width, int height) {
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (!Major_ || (bytes > Bytes_ && !MakeSegment(bytes)))
        return nullptr;
    Wait();
    return Memory_;
}

TX11Upload::TRows TX11Upload::Take(const TRootPicture& pattern) {
    if (Segment_ && pattern.Pixels == Memory_ && pattern.Stride == pattern.Width) {
        // Made in place: all of it is new.
        Width_ = pattern.Width;
        Height_ = pattern.Height;
        All_ = false;
        return {0, Height_};
    }
    const std::size_t count = static_cast<std::size_t>(pattern.Width) * pattern.Height;
    const bool resized = pattern.Width != Width_ || pattern.Height != Height_;
    if (resized) {
        if (Major_ && count * 4 > Bytes_ && !MakeSegment(count * 4))
            Major_ = 0; // the server could not take it: PutImage from now on
        if (!Segment_)
            Copy_.resize(count);
        Width_ = pattern.Width;
        Height_ = pattern.Height;
    }
    Wait();
    const bool all = resized || All_;
    All_ = false;
    std::uint32_t* shown = Pixels();
    const std::size_t rowBytes = static_cast<std::size_t>(Width_) * 4;
    TRows rows{Height_, 0};
    for (int y = 0; y < Height_; ++y) {
        const std::uint32_t* from = pattern.Pixels + static_cast<std::size_t>(y) * pattern.Stride;
        std::uint32_t* to = shown + static_cast<std::size_t>(y) * Width_;
        if (all || std::memcmp(to, from, rowBytes) != 0) {
            // A pattern made in the shared memory with wider rows than shown moves within
            // it: each row to a place at or before its own, so in order of the rows.
            std::memmove(to, from, rowBytes);
            rows.First = std::min(rows.First, y);
            rows.Last = y + 1;
        }
    }
    return rows;
}

void TX11Upload::Put(xcb_pixmap_t pixmap, xcb_gcontext_t gc, std::uint8_t depth, TRows rows,
                     bool last) {
    if (rows.Empty())
        return;
    if (!Segment_) {
        const TRootPicture band{Width_, rows.Last - rows.First, Width_,
                                Copy_.data() + static_cast<std::size_t>(rows.First) * Width_};
        PutPicture(Connection_, pixmap, gc, depth, band, rows.First);
        return;
    }
    const xcb_void_cookie_t cookie = xcb_shm_put_image(
        Connection_, pixmap, gc, static_cast<std::uint16_t>(Width_),
        static_cast<std::uint16_t>(Height_), 0, static_cast<std::uint16_t>(rows.First),
        static_cast<std::uint16_t>(Width_), static_cast<std::uint16_t>(rows.Last - rows.First), 0,
        static_cast<std::int16_t>(rows.First), depth, XCB_IMAGE_FORMAT_Z_PIXMAP, last ? 1 : 0,
        Segment_, 0);
    Busy_ = true;
    if (last)
        BusySequence_ = static_cast<std::uint16_t>(cookie.sequence);
}

bool TX11Upload::Handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    if (Completion_ && type == Completion_) {
        if (event.sequence == BusySequence_)
            Busy_ = false;
        return true;
    }
    const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
    if (type != 0 || !Major_ || error.major_code != Major_)
        return false;
    // Refused: the pattern shown goes into a copy of its own, and through PutImage.
    Busy_ = false;
    if (Segment_) {
        Copy_.assign(Memory_, Memory_ + static_cast<std::size_t>(Width_) * Height_);
        DropSegment();
    }
    Major_ = 0;
    All_ = true;
    return true;
}

} // namespace ombrix
