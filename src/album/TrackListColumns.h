#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "album/TrackInfo.h"

namespace corvane {

// The columns of the two list views: the album's files and the album's
// tracks as found on the CDDB server.
struct ListColumn {
    const char* header;
    int width;  // pixels
};

inline constexpr int kFileListColumnCount = 12;
inline constexpr int kDatabaseListColumnCount = 7;

inline constexpr std::array<ListColumn, kFileListColumnCount> kFileListColumns{{
    {"Filename", 250},
    {"Playtime", 60},
    {"Track", 60},
    {"Title", 160},
    {"Album", 100},
    {"Artist", 100},
    {"Year", 50},
    {"Genre", 100},
    {"Comment", 150},
    {"Bitrate", 60},
    {"Structure", 60},
    {"File Type", 100},
}};

inline constexpr std::array<ListColumn, kDatabaseListColumnCount> kDatabaseListColumns{{
    {"Database Filename", 250},
    {"Track", 60},
    {"Title", 160},
    {"Artist", 100},
    {"Album", 100},
    {"Year", 50},
    {"Genre", 100},
}};

inline constexpr const char* kEmptyFileListText = "First select an MP3 Folder...";
inline constexpr const char* kEmptyDatabaseListText = "No item";

// The text of one cell; empty for a column out of range. File names come
// back as the bytes on disk.
std::string FileListColumnText(const TrackInfo& record, int column);
std::string DatabaseListColumnText(const TrackInfo& record, int column);

// "Ok" for a read file, "Damaged" for one the component could not open,
// "?" otherwise.
std::string StructureText(FileStatus status);

// The width of a column, or 0 when the settings hide it. shown holds the flags
// of the columns after the first ("Playtime" to "Structure", "Track" to
// "Genre"); the file name columns and "File Type" are always shown.
int FileListColumnWidth(int column, const std::array<int, 10>& shown);
int DatabaseListColumnWidth(int column, const std::array<int, 6>& shown);

// The database view never shows more rows than there are files.
std::size_t VisibleDatabaseRows(std::size_t trackCount, std::size_t fileCount);

}  // namespace corvane
