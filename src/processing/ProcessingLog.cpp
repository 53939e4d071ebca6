#include "processing/ProcessingLog.h"

namespace corvane {

void AppendLogLine(std::vector<std::string>& lines, const std::string& text) {
    if (text == kDoneText && !lines.empty()) {
        lines.back() += " ";
        lines.back() += text;
        return;
    }
    lines.push_back(text);
}

}  // namespace corvane
