#pragma once

#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {
class CRegistryStore;
}

// A rectangle as the window positions store it: left, top, right, bottom, the right and bottom
// edges exclusive. All zero means "no position".
struct tagWINDOW_RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    static tagWINDOW_RECT FromQRect(const QRect& rect);
    bool operator==(const tagWINDOW_RECT&) const = default;
};

// The main window's placement, laid out as the 44 bytes of the stored "WndPos" value.
struct tagWINDOW_PLACEMENT {
    static constexpr uint32_t kSize = 44;
    uint32_t length = kSize;
    uint32_t flags = 0;
    uint32_t showCmd = 0;
    int32_t minX = 0;
    int32_t minY = 0;
    int32_t maxX = 0;
    int32_t maxY = 0;
    tagWINDOW_RECT normal;

    // Show commands kept in the placement.
    static constexpr uint32_t SW_HIDE = 0;
    static constexpr uint32_t SW_SHOWNORMAL = 1;
    static constexpr uint32_t SW_SHOWMINIMIZED = 2;
    static constexpr uint32_t SW_SHOWMAXIMIZED = 3;
    static constexpr uint32_t SW_RESTORE = 9;

    bool operator==(const tagWINDOW_PLACEMENT&) const = default;
};

// The stored positions of the main window, the item panel and the viewer's output window
// ("WndPos", "SetWndPos" and "ViewerWndPos" of the current user's "Setting" key).
struct CWindowPositions {
    tagWINDOW_PLACEMENT mainWindow;
    tagWINDOW_RECT itemPanel;
    tagWINDOW_RECT viewer;

    // All three values, or nothing when any of them is missing or malformed. The main window
    // comes back hidden (show command 0) so that start-up decides when it is shown. A rectangle
    // that lies on none of the given screens (a display that has gone) is moved onto the
    // nearest one; no screens given means no check.
    static std::optional<CWindowPositions> Load(
        const platform::CRegistryStore& store, const std::vector<QRect>& screens);

    // Writes all three values; a minimised main window (show command 2) is stored to come back
    // restored. True only when every value was written.
    bool Save(platform::CRegistryStore& store) const;
};

// The rectangle moved (and shrunk where needed) onto the screen nearest to it when it lies on
// none of the screens; unchanged when it touches one, is empty, or no screens are known.
tagWINDOW_RECT PullOntoScreens(const tagWINDOW_RECT& rect, const std::vector<QRect>& screens);
