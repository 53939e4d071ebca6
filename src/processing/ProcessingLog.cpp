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

void StreamProcessingLog::Log(const std::string& text) {
    if (text == kDoneText && lineOpen_) {
        std::fputs(" ", stream_);
    } else if (lineOpen_) {
        std::fputs("\n", stream_);
    }
    std::fwrite(text.data(), 1, text.size(), stream_);
    std::fflush(stream_);
    lineOpen_ = true;
}

void StreamProcessingLog::Flush() {
    if (lineOpen_) {
        std::fputs("\n", stream_);
        std::fflush(stream_);
        lineOpen_ = false;
    }
}

}  // namespace corvane
