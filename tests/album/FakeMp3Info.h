#pragma once

#include <map>
#include <string>
#include <vector>

#include "components/Mp3InfoObject.h"

namespace corvane::test {

// What the fake component reports for one file.
struct FakeFile {
    bool opens = true;
    int bitrate = 128;
    int track = -1;
    unsigned playSeconds = 0;
    double playTime = 0.0;
    int auxValue = 0;
    std::string fileType = "MPEG 1 Layer III";
    bool hasTag = false;
    std::string title, artist, album, comment, genre;
    int year = 0;
};

// An MP3 information component that answers from a table keyed by file name
// (the part after the last '/') and records the calls it receives.
class FakeMp3Info final : public Mp3InfoObject {
public:
    std::map<std::string, FakeFile> files;
    std::vector<std::string> calls;
    std::vector<std::string> openedPaths;

    void Release() override {}
    int Open(const std::string& path) override {
        calls.push_back("Open");
        openedPaths.push_back(path);
        const auto found = files.find(path.substr(path.rfind('/') + 1));
        current_ = found != files.end() ? &found->second : nullptr;
        return current_ != nullptr && current_->opens ? 0 : 2;
    }
    int WriteTag(const std::string&, const std::string&, const std::string&, const std::string&,
                 const std::string&, const std::string&, const std::string&) override {
        calls.push_back("WriteTag");
        return 0;
    }
    std::string GetFileType() override { return Log("GetFileType", current_->fileType); }
    int GetBitrate() override { return Log("GetBitrate", current_->bitrate); }
    int GetAuxValue() override { return Log("GetAuxValue", current_->auxValue); }
    unsigned GetPlaySeconds() override { return Log("GetPlaySeconds", current_->playSeconds); }
    double GetPlayTime() override { return Log("GetPlayTime", current_->playTime); }
    std::string GetTitle() override { return Log("GetTitle", current_->title); }
    std::string GetArtist() override { return Log("GetArtist", current_->artist); }
    std::string GetAlbum() override { return Log("GetAlbum", current_->album); }
    std::string GetComment() override { return Log("GetComment", current_->comment); }
    std::string GetGenre() override { return Log("GetGenre", current_->genre); }
    int GetYear() override { return Log("GetYear", current_->year); }
    int GetTrack() override { return Log("GetTrack", current_->track); }
    int HasTag() override { return Log("HasTag", current_->hasTag ? 1 : 0); }

private:
    template <class T>
    T Log(const char* name, T value) {
        calls.push_back(name);
        return value;
    }

    FakeFile* current_ = nullptr;
};

}  // namespace corvane::test
