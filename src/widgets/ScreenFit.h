#pragma once

class QSize;
class QWidget;

namespace corvane {

// Puts a top-level window inside the available area of the screen it is on
// (the primary screen before it is shown): a window larger than that area
// shrinks to it, as far as its minimum size lets it. It is centred there
// when asked, or when it would stand out of the area where it is.
void FitIntoScreen(QWidget& window, bool centre = true);
// The size a window's client area can have on its screen, frame and title bar taken off.
QSize AvailableScreenSize(const QWidget& window);

}  // namespace corvane
