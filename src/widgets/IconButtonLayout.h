#pragma once

namespace corvane {

// What the icon button's drawing needs to know to place its icon and caption.
struct IconButtonMetrics {
    int width = 0;  // client size
    int height = 0;
    bool hasIcon = false;
    int iconWidth = 0;
    int iconHeight = 0;
    bool hasText = false;
    int textWidth = 0;
    int textHeight = 0;
    bool autoLayout = true;
    // Used when autoLayout is off; -1 centres along that axis.
    int iconX = -1;
    int iconY = -1;
    int textX = -1;
    int textY = -1;
    bool pressed = false;
    int margin = 4;
    int gap = 8;
};

// Top-left corners of the icon and of the caption.
struct IconButtonPlacement {
    int iconX = 0;
    int iconY = 0;
    int textX = 0;
    int textY = 0;
    bool operator==(const IconButtonPlacement&) const = default;
};

IconButtonPlacement LayoutIconButton(const IconButtonMetrics& m);

}  // namespace corvane
