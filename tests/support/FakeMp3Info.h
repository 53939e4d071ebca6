#pragma once

#include <string>
#include <vector>

#include "components/Mp3InfoObject.h"

namespace corvane::test {

// The tag fields as WriteTag received them, in its argument order.
struct FakeTag {
    std::string title, artist, album, year, comment, track, genre;
    bool operator==(const FakeTag&) const = default;
};

// A stand-in for the MP3 component, in process or (derived) as a plug-in. A
// "MP3 file" is any file that starts with "MP3"; WriteTag appends a tag record
// to the file in place, like a real tag writer does, and returns the errno of a
// failed write after putting the file back as it was.
class FakeMp3Info : public Mp3InfoObject {
public:
    void Release() override {}
    int Open(const std::string& path) override;
    int WriteTag(const std::string& title, const std::string& artist, const std::string& album,
                 const std::string& year, const std::string& comment, const std::string& track,
                 const std::string& genre) override;
    std::string GetFileType() override { return "MPEG 1 Layer 3"; }
    int GetBitrate() override { return 128; }
    int GetAuxValue() override { return 0; }
    unsigned GetPlaySeconds() override { return 0; }
    double GetPlayTime() override { return 0.0; }
    std::string GetTitle() override { return {}; }
    std::string GetArtist() override { return {}; }
    std::string GetAlbum() override { return {}; }
    std::string GetComment() override { return {}; }
    std::string GetGenre() override { return {}; }
    int GetYear() override { return 0; }
    int GetTrack() override { return -1; }
    int HasTag() override { return 0; }

    // The paths Open was called with, in order.
    std::vector<std::string> opened;
    // The tags written, by the path that was open.
    std::vector<std::pair<std::string, FakeTag>> written;

private:
    std::string openPath_;
};

// The tag a FakeMp3Info wrote last into the file at path; false when none.
bool ReadFakeTag(const std::string& path, FakeTag& tag);

// Content of a fake MP3 file that carries `marker`, so that a test can tell
// which file ended up where.
std::string FakeMp3Content(const std::string& marker);

// The marker of a fake MP3 file (its content up to the first tag), or empty.
std::string FakeMp3Marker(const std::string& path);

}  // namespace corvane::test
