#include "cli/FileProgress.h"

#include <unistd.h>

#include <cstdio>

namespace corvane::cli {

FileProgress::FileProgress() : terminal_(::isatty(STDERR_FILENO) == 1) {}

FileProgress::~FileProgress() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);  // back to the line's start, erased
    }
}

void FileProgress::Show(std::size_t done, std::size_t total) {
    if (!terminal_) {
        return;
    }
    std::fprintf(stderr, "\r%zu/%zu files", done, total);
    std::fflush(stderr);
    shown_ = true;
}

ScanProgress FileProgress::Callback() {
    return [this](std::size_t done, std::size_t total) { Show(done, total); };
}

}  // namespace corvane::cli
