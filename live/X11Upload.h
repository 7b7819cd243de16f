// The pattern's way to the X server. The last pattern shown is kept, so that only the rows
// that changed go again (none when the field stands still). Through MIT-SHM where the
// server offers it on a local connection (the pixels go through memory both share, not
// through the socket), else through PutImage.
#pragma once

#include "X11Root.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace ombrix {

class TX11Upload {
public:
    /// Rows First up to Last (not included) of the pattern.
    struct TRows {
        int First = 0;
        int Last = 0;
        bool Empty() const { return First >= Last; }
    };

    /// Looks whether `connection`'s server can share memory with the program.
    explicit TX11Upload(xcb_connection_t* connection);
    ~TX11Upload();
    TX11Upload(const TX11Upload&) = delete;
    TX11Upload& operator=(const TX11Upload&) = delete;

    /// The shared memory a pattern of `width` × `height` pixels may be made in, rows
    /// `width` pixels apart, once the server is done with what it held; null without
    /// shared memory. Take then finds the pattern already in place.
    std::uint32_t* Memory(int width, int height);

    /// Takes `pattern` as the one shown from now on. Returns the rows that differ from the
    /// previous one: all of them when the size changed, none when it is the same.
    TRows Take(const TRootPicture& pattern);

    /// Sends `rows` of the pattern taken last into `pixmap` (of `depth`, its size) with
    /// `gc`. `last`: the last Put of this pattern.
    void Put(xcb_pixmap_t pixmap, xcb_gcontext_t gc, std::uint8_t depth, TRows rows, bool last);

    /// The pattern taken last.
    TRootPicture Shown() const;

    /// True when `event` was the extension's (a put done, or one refused, after which the
    /// pixels go through PutImage); the caller handles the others.
    bool Handle(const xcb_generic_event_t& event);

    /// True while the pixels go through shared memory.
    bool Shared() const { return Segment_ != 0; }

private:
    bool MakeSegment(std::size_t bytes);
    void DropSegment();
    void Wait();
    std::uint32_t* Pixels();

    xcb_connection_t* Connection_;
    std::uint8_t Major_ = 0;      ///< the extension's request code; 0: none
    std::uint8_t Completion_ = 0; ///< its completion event's code
    std::uint32_t Segment_ = 0;
    std::uint32_t* Memory_ = nullptr;
    std::size_t Bytes_ = 0;
    bool Busy_ = false; ///< the server may still read the shared memory
    bool All_ = false;  ///< all of the next pattern goes, whatever changed
    std::uint16_t BusySequence_ = 0;
    std::vector<std::uint32_t> Copy_; ///< the pattern shown, without shared memory
    int Width_ = 0;
    int Height_ = 0;
};

} // namespace ombrix
