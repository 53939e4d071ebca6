#include "album/TrackListColumns.h"

#include <algorithm>

namespace corvane {

std::string StructureText(FileStatus status) {
    switch (status) {
        case FileStatus::kRead:
            return "Ok";
        case FileStatus::kDamaged:
            return "Damaged";
        case FileStatus::kCleared:
            break;
    }
    return "?";
}

std::string FileListColumnText(const TrackInfo& record, int column) {
    switch (column) {
        case 0:
            return record.fileName;
        case 1:
            return FormatPlayTime(record);
        case 2:
            return record.track;
        case 3:
            return record.title;
        case 4:
            return record.album;
        case 5:
            return record.artist;
        case 6:
            return record.year;
        case 7:
            return record.genre;
        case 8:
            return record.comment;
        case 9:
            return std::to_string(record.bitrate) + " Kbps";
        case 10:
            return StructureText(record.status);
        case 11:
            return record.fileType;
        default:
            return {};
    }
}

std::string DatabaseListColumnText(const TrackInfo& record, int column) {
    switch (column) {
        case 0:
            return record.fileName;
        case 1:
            return record.track;
        case 2:
            return record.title;
        case 3:
            return record.artist;
        case 4:
            return record.album;
        case 5:
            return record.year;
        case 6:
            return record.genre;
        default:
            return {};
    }
}

int FileListColumnWidth(int column, const std::array<int, 10>& shown) {
    if (column < 0 || column >= kFileListColumnCount) {
        return 0;
    }
    const bool optional = column >= 1 && column <= 10;
    return optional && shown[column - 1] == 0 ? 0 : kFileListColumns[column].width;
}

int DatabaseListColumnWidth(int column, const std::array<int, 6>& shown) {
    if (column < 0 || column >= kDatabaseListColumnCount) {
        return 0;
    }
    return column >= 1 && shown[column - 1] == 0 ? 0 : kDatabaseListColumns[column].width;
}

std::size_t VisibleDatabaseRows(std::size_t trackCount, std::size_t fileCount) {
    return std::min(trackCount, fileCount);
}

}  // namespace corvane
