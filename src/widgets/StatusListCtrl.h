#pragma once

#include <QListWidget>
#include <string>

namespace corvane {

// The window's status list: one line per report, the newest in view. A line
// equal to the one before it is dropped, line breaks become blanks, and a
// server's answer quoted in a failure is cut to what a line can show.
class StatusListCtrl : public QListWidget {
    Q_OBJECT

public:
    explicit StatusListCtrl(QWidget* parent = nullptr);

    void AddLine(const std::string& text);

private:
    std::string lastText_;
};

}  // namespace corvane
