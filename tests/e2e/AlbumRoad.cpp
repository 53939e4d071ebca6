#include "e2e/AlbumRoad.h"

#include <gtest/gtest.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <algorithm>
#include <filesystem>

#include "album/DiscIdCalculator.h"
#include "album/TrackInfo.h"
#include "musicbrainz/DiscToc.h"
#include "platform/Json.h"
#include "processing/RunJournal.h"
#include "settings/SettingsIni.h"

namespace corvane::test {

namespace fs = std::filesystem;

namespace {

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

}  // namespace

AlbumRoad::AlbumRoad()
    : album_(temp_.File("in box")), cddb_(temp_.File("cddb")), work_(temp_.File("work")) {
    fs::create_directories(album_);
    fs::create_directories(cddb_);
    fs::create_directories(work_);
}

std::string AlbumRoad::MissingTool() {
    for (const char* plugin : {"Mp3Info.so", "corvane-cddbd"}) {
        if (!fs::exists(BinDir() + "/" + plugin)) {
            return std::string(plugin) + " is not built";
        }
    }
    return HaveProgram("lame") ? std::string() : "lame is not installed";
}

bool AlbumRoad::MakeAlbum(const std::vector<EncodedTrack>& tracks) {
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (MakeMp3(album_, tracks[i].fileName, tracks[i].samples, tracks[i].lameArgs, 2,
                    kSampleRate, static_cast<unsigned>(i + 1))
                .empty()) {
            return false;
        }
    }
    std::vector<EncodedTrack> sorted = tracks;
    std::sort(sorted.begin(), sorted.end(),
              [](const EncodedTrack& a, const EncodedTrack& b) { return a.fileName < b.fileName; });
    TrackList files;
    for (const EncodedTrack& track : sorted) {
        TrackInfo file;
        file.playTime = static_cast<double>(track.samples) / kSampleRate;
        files.push_back(file);
    }
    DiscIdCalculator calculator;
    discId_ = HexId(calculator.ComputeDiscId(files));
    OffsetList offsets;
    calculator.GetOffsets(offsets);
    frameOffsets_.clear();
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
        frameOffsets_.push_back((offsets[i].minutes * 60 + offsets[i].seconds) * 75 +
                                offsets[i].frames);
    }
    discLength_ = offsets.back().minutes * 60 + offsets.back().seconds;
    musicbrainzId_ = MusicBrainzDiscId(TocFromOffsets(offsets));
    trackFrames_.clear();
    for (const EncodedTrack& track : sorted) {
        trackFrames_.push_back(track.samples / kCdFrameSamples);
    }
    return true;
}

bool AlbumRoad::MakeStandardAlbum() {
    return MakeAlbum({{"a.MP3", 3 * kSampleRate + 40 * kCdFrameSamples, {"-V", "2"}},
                      {"B.mp3", 5 * kSampleRate + 10 * kCdFrameSamples, {"-b", "128"}},
                      {"c (copy).mp3", 4 * kSampleRate + 3 * kCdFrameSamples, {"-b", "192"}}});
}

void AlbumRoad::AddRecord(const std::string& category, const std::string& dtitle,
                          const std::vector<std::string>& titles,
                          const std::map<int, std::string>& comments) {
    std::string text = MakeRecord(discId_, frameOffsets_, discLength_, dtitle, titles);
    for (const auto& [index, comment] : comments) {
        const std::string line = "EXTT" + std::to_string(index) + "=";
        text.insert(text.find(line + "\n") + line.size(), comment);
    }
    WriteRecord(cddb_, category, discId_, text);
}

void AlbumRoad::AddMusicBrainzRelease(const std::string& artist, const std::string& title,
                                      const std::string& date, const std::string& genre,
                                      const std::vector<std::string>& titles) {
    std::string tracks;
    for (std::size_t i = 0; i < titles.size() && i < trackFrames_.size(); ++i) {
        tracks += std::string(i == 0 ? "" : ",") + R"({"position":)" + std::to_string(i + 1) +
                  R"(,"title":)" + JsonQuote(titles[i]) + R"(,"length":)" +
                  std::to_string(trackFrames_[i] * 1000 / 75) + "}";
    }
    const std::string id = JsonQuote(musicbrainzId_);
    const std::string text =
        R"({"id":)" + id + R"(,"releases":[{"id":"5e1ea5e0-0000-4000-8000-000000000001","title":)" +
        JsonQuote(title) + R"(,"date":)" + JsonQuote(date) +
        R"(,"country":"ES","artist-credit":[{"name":)" + JsonQuote(artist) +
        R"(}],"release-group":{"genres":[{"name":)" + JsonQuote(genre) +
        R"(,"count":3}]},"media":[{"position":1,"format":"CD","discs":[{"id":)" + id +
        R"(}],"tracks":[)" + tracks + "]}]}]}";
    fs::create_directories(cddb_ + "/musicbrainz");
    WriteFileBytes(cddb_ + "/musicbrainz/" + musicbrainzId_ + ".json", text);
}

bool AlbumRoad::StartServer() {
    server_.reset();
    server_ = std::make_unique<ServerProcess>(cddb_);
    return server_->Port() != 0;
}

std::string AlbumRoad::ServerText() const {
    return "127.0.0.1:" + std::to_string(Port());
}

bool AlbumRoad::WriteSettings(const SettingsValues& values) const {
    return SaveSettingsFile(work_ + "/" + kIniFileName, values) == 0;
}

SettingsValues AlbumRoad::ServerSettings() const {
    SettingsValues values;
    values.configured = 1;
    values.showSplash = 0;
    values.cddbServer = ServerText();
    values.musicbrainzServer = "http://" + ServerText();
    return values;
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string bytes;
        if (entry.is_regular_file()) {
            ReadFileBytes(entry.path().string(), bytes);
        }
        files[fs::relative(entry.path(), folder).string()] = bytes;
    }
    return files;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != kJournalFolder) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string AudioBytes(const std::string& bytes) {
    std::size_t start = 0;
    if (bytes.size() >= 10 && bytes.compare(0, 3, "ID3") == 0) {
        const auto size = [&](int i) { return static_cast<std::size_t>(bytes[6 + i] & 0x7F); };
        start = 10 + (size(0) << 21 | size(1) << 14 | size(2) << 7 | size(3));  // no footer
    }
    std::size_t end = bytes.size();
    if (end >= start + 128 && bytes.compare(end - 128, 3, "TAG") == 0) {
        end -= 128;
    }
    return start <= end ? bytes.substr(start, end - start) : std::string();
}

bool ReadTags(const std::string& path, TagValues& tags) {
    TagLib::MPEG::File file(path.c_str());
    const TagLib::Tag* tag = file.isValid() ? file.tag() : nullptr;
    if (tag == nullptr) {
        return false;
    }
    tags.title = Utf8(tag->title());
    tags.artist = Utf8(tag->artist());
    tags.album = Utf8(tag->album());
    tags.year = tag->year();
    tags.track = tag->track();
    tags.genre = Utf8(tag->genre());
    tags.comment = Utf8(tag->comment());
    return true;
}

void ExpectStandardAlbumTracks(const std::string& dir, const std::vector<std::string>& names,
                               const std::map<std::string, std::string>& before,
                               const std::string& genre, const std::string& secondComment) {
    // Track k is the k-th file in byte order.
    const std::vector<std::string> sources{"B.mp3", "a.MP3", "c (copy).mp3"};
    const std::vector<std::string> titles{"Café", "Why?", "Last \"One\""};
    ASSERT_EQ(names.size(), sources.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(dir + "/" + names[i], bytes));
        EXPECT_TRUE(AudioBytes(bytes) == AudioBytes(before.at(sources[i])));
        TagValues tags;
        ASSERT_TRUE(ReadTags(dir + "/" + names[i], tags));
        const TagValues expected{titles[i],
                                 "Los Niños",
                                 "Días: Vol 1",
                                 2001,
                                 static_cast<unsigned>(i + 1),
                                 genre,
                                 i == 1 ? secondComment : ""};
        EXPECT_TRUE(tags == expected) << tags.title << " / " << tags.genre << " / " << tags.comment;
    }
}

}  // namespace corvane::test
