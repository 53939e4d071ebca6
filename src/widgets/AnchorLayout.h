#pragma once

namespace corvane {

// A point in per cent of a dialog's client area.
struct Anchor {
    int x = 0;
    int y = 0;
    bool operator==(const Anchor&) const = default;
};

inline constexpr Anchor TopLeft{0, 0};
inline constexpr Anchor TopCenter{50, 0};
inline constexpr Anchor TopRight{100, 0};
inline constexpr Anchor MiddleLeft{0, 50};
inline constexpr Anchor MiddleCenter{50, 50};
inline constexpr Anchor MiddleRight{100, 50};
inline constexpr Anchor BottomLeft{0, 100};
inline constexpr Anchor BottomCenter{50, 100};
inline constexpr Anchor BottomRight{100, 100};
inline constexpr Anchor NoAnchor{-1, -1};

// A control rectangle in client coordinates; right and bottom are exclusive.
struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const LayoutRect&) const = default;
};

// Where a control sits relative to its two anchors.
struct AnchorPlacement {
    Anchor topLeft;
    Anchor bottomRight;
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
};

// Registers a control of rectangle `rect` in a client area of width x height. A bottom-right
// anchor of NoAnchor means the control keeps its size and follows the top-left anchor.
AnchorPlacement MakeAnchorPlacement(const LayoutRect& rect, int width, int height, Anchor topLeft,
                                    Anchor bottomRight = NoAnchor);

// The control's rectangle for a client area of width x height.
LayoutRect PlaceAnchored(const AnchorPlacement& placement, int width, int height);

}  // namespace corvane
