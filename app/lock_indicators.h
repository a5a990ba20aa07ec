// The keyboard's lock indicators (Caps, Num and Scroll Lock) as the window
// system holds them, for the status bar's lock panes. Only the window system
// knows them (a lock may be switched in another window), so they are read,
// never counted from the keys this program sees. Where the platform offers
// no way to read them there is no reader, and the panes stay blank.
#pragma once

#include <memory>
#include <optional>

struct LockStates {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

class LockIndicatorReader {
public:
    virtual ~LockIndicatorReader() = default;
    // The current states; nothing when they cannot be read just now.
    virtual std::optional<LockStates> read() = 0;
};

// The reader of the running platform (X11 through XKB), or null where the
// indicators cannot be read (Wayland, offscreen, a build without X11).
std::unique_ptr<LockIndicatorReader> makePlatformLockReader();
