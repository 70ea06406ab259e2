#pragma once

#include <optional>

/// The Caps, Num and Scroll Lock lights as the window system keeps them (on a remote X session
/// too, where the kernel's keyboard lights say nothing).
class LockKeys {
public:
    struct State {
        bool caps = false;
        bool num = false;
        bool scroll = false;
    };
    /// The lights now; nothing when the window system cannot tell (no X11 display).
    static std::optional<State> Query();
};
