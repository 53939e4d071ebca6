#pragma once

#include <cstddef>

#include "album/AlbumFolder.h"

namespace corvane::cli {

// "12/40 files" on standard error while a folder is read, written over in
// place and wiped at the end. Only a terminal sees it: a pipe or a log file
// of standard error stays free of it.
class FileProgress {
public:
    FileProgress();
    ~FileProgress();
    FileProgress(const FileProgress&) = delete;
    FileProgress& operator=(const FileProgress&) = delete;

    void Show(std::size_t done, std::size_t total);
    // Show, for ScanFolder.
    ScanProgress Callback();

private:
    bool terminal_;
    bool shown_ = false;
};

}  // namespace corvane::cli
