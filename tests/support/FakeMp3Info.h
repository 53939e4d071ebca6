#pragma once

#include <map>
#include <string>
#include <vector>

#include "components/Mp3InfoObject.h"

namespace corvane::test {

// The tag fields as WriteTag received them, in its argument order.
struct FakeTag {
    std::string title, artist, album, year, comment, track, genre;
    bool operator==(const FakeTag&) const = default;
};

// What the fake reports for a file it opens.
struct FakeFile {
    int bitrate = 128;
    int track = -1;
    unsigned playSeconds = 0;
    double playTime = 0.0;
    int auxValue = 0;
    std::string fileType = "MPEG 1 Layer 3";
    bool hasTag = false;
    std::string title, artist, album, comment, genre;
    int year = 0;
};

// A stand-in for the MP3 component, in process or (derived) as a plug-in. A
// "MP3 file" is any file that starts with "MP3"; its details come from files
// (by the name after the last '/'), an untagged FakeFile for one not listed.
// WriteTag appends a tag record to the file in place, as a real tag writer
// does, and returns the errno of a failed write.
class FakeMp3Info : public Mp3InfoObject {
public:
    void Release() override {}
    int Open(const std::string& path) override;
    int WriteTag(const std::string& title, const std::string& artist, const std::string& album,
                 const std::string& year, const std::string& comment, const std::string& track,
                 const std::string& genre) override;
    std::string GetFileType() override { return current_.fileType; }
    int GetBitrate() override { return current_.bitrate; }
    int GetAuxValue() override { return current_.auxValue; }
    unsigned GetPlaySeconds() override { return current_.playSeconds; }
    double GetPlayTime() override { return current_.playTime; }
    std::string GetTitle() override { return current_.title; }
    std::string GetArtist() override { return current_.artist; }
    std::string GetAlbum() override { return current_.album; }
    std::string GetComment() override { return current_.comment; }
    std::string GetGenre() override { return current_.genre; }
    int GetYear() override { return current_.year; }
    int GetTrack() override { return current_.track; }
    int HasTag() override { return current_.hasTag ? 1 : 0; }

    std::map<std::string, FakeFile> files;
    // The paths Open was called with, in order.
    std::vector<std::string> opened;
    // The tags written, by the path that was open.
    std::vector<std::pair<std::string, FakeTag>> written;

private:
    std::string openPath_;
    FakeFile current_;
};

// The tag a FakeMp3Info wrote last into the file at path; false when none.
bool ReadFakeTag(const std::string& path, FakeTag& tag);

// Content of a fake MP3 file that carries `marker`, so that a test can tell
// which file ended up where.
std::string FakeMp3Content(const std::string& marker);

// The marker of a fake MP3 file (its content up to the first tag), or empty.
std::string FakeMp3Marker(const std::string& path);

}  // namespace corvane::test
