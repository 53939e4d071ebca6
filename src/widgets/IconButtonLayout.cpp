#include "widgets/IconButtonLayout.h"

#include <algorithm>

namespace corvane {

namespace {

int Centred(int client, int content) {
    return (client - content) / 2;
}

int OrCentred(int pos, int client, int content) {
    return pos == -1 ? Centred(client, content) : pos;
}

}  // namespace

IconButtonPlacement LayoutIconButton(const IconButtonMetrics& m) {
    IconButtonPlacement p;
    if (!m.autoLayout) {
        p.iconX = OrCentred(m.iconX, m.width, m.iconWidth);
        p.iconY = OrCentred(m.iconY, m.height, m.iconHeight);
        p.textX = OrCentred(m.textX, m.width, m.textWidth);
        p.textY = OrCentred(m.textY, m.height, m.textHeight);
    } else if (m.hasIcon && !m.hasText) {
        p.iconX = Centred(m.width, m.iconWidth);
        p.iconY = Centred(m.height, m.iconHeight);
    } else if (m.hasIcon) {
        p.iconX = m.margin;
        p.iconY = Centred(m.height, m.iconHeight);
        // The caption sits in the middle of the room right of the icon.
        const int lead = m.margin + m.iconWidth + m.gap;
        p.textX = lead + std::max(0, (m.width - lead - m.textWidth) / 2);
        p.textY = Centred(m.height, m.textHeight);
    } else {
        p.textX = Centred(m.width, m.textWidth);
        p.textY = Centred(m.height, m.textHeight);
    }
    if (m.pressed) {
        p.iconX += 1;
        p.iconY += 1;
        p.textX += 1;
        p.textY += 1;
    }
    return p;
}

}  // namespace corvane
