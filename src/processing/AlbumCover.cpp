#include "processing/AlbumCover.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "components/SettingsValues.h"
#include "musicbrainz/CoverArtClient.h"
#include "musicbrainz/MusicBrainzClient.h"
#include "platform/FileSystem.h"

namespace corvane {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool IsPictureName(const std::string& name) {
    const std::string lower = Lower(name);
    for (const char* ext : {".jpg", ".jpeg", ".png"}) {
        const std::string e = ext;
        if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) {
            return true;
        }
    }
    return false;
}

unsigned Be16(const std::string& b, std::size_t at) {
    return (static_cast<unsigned char>(b[at]) << 8) | static_cast<unsigned char>(b[at + 1]);
}

bool JpegDimensions(const std::string& b, int& width, int& height) {
    std::size_t pos = 2;
    while (pos + 9 < b.size()) {
        if (static_cast<unsigned char>(b[pos]) != 0xFF) {
            return false;
        }
        const auto marker = static_cast<unsigned char>(b[pos + 1]);
        // Start of frame: baseline, progressive and the other codings.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            height = static_cast<int>(Be16(b, pos + 5));
            width = static_cast<int>(Be16(b, pos + 7));
            return true;
        }
        pos += 2 + Be16(b, pos + 2);
    }
    return false;
}

}  // namespace

TagOptions TagOptionsFrom(const SettingsValues& settings) {
    TagOptions options;
    options.fetch = true;
    options.server = settings.coverArtServer;
    options.size = settings.coverSize;
    options.userAgent = MusicBrainzUserAgent(settings.cddbEmail);
    options.proxy = SettingsProxy(settings);
    options.save = settings.saveCover;
    options.embed = settings.embedCover;
    options.replace = settings.replaceCover;
    options.id3Version = settings.id3Version;
    return options;
}

CoverPicture FolderCover(const std::string& folder, std::string& name) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec) && IsPictureName(entry.path().filename().string())) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    name.clear();
    for (const char* wanted :
         {"cover.jpg", "folder.jpg", "front.jpg", "cover.png", "folder.png", "front.png"}) {
        const auto found = std::find_if(names.begin(), names.end(),
                                        [&](const std::string& n) { return Lower(n) == wanted; });
        if (found != names.end()) {
            name = *found;
            break;
        }
    }
    if (name.empty() && names.size() == 1) {
        name = names.front();
    }
    CoverPicture picture;
    if (name.empty() || ReadWholeFile(folder + "/" + name, picture.bytes) != 0) {
        return {};
    }
    picture.mime = PictureMime(picture.bytes);
    return picture.mime.empty() ? CoverPicture{} : picture;
}

bool PictureDimensions(const std::string& bytes, int& width, int& height) {
    const std::string mime = PictureMime(bytes);
    if (mime == "image/png" && bytes.size() >= 24) {
        width = static_cast<int>(Be16(bytes, 18) | (Be16(bytes, 16) << 16));
        height = static_cast<int>(Be16(bytes, 22) | (Be16(bytes, 20) << 16));
        return true;
    }
    return mime == "image/jpeg" && JpegDimensions(bytes, width, height);
}

CoverPicture EmbeddablePicture(const CoverPicture& picture, ImageScaler* scaler,
                               std::string& note) {
    note.clear();
    int width = 0;
    int height = 0;
    const bool known = PictureDimensions(picture.bytes, width, height);
    const bool tooLarge = picture.bytes.size() > kMaxEmbeddedBytes ||
                          (known && std::max(width, height) > kMaxEmbeddedSide);
    if (!tooLarge) {
        return picture;
    }
    CoverPicture scaled;
    if (scaler != nullptr && scaler->Scale(picture, kMaxEmbeddedSide, kMaxEmbeddedBytes, scaled) &&
        !scaled.Empty()) {
        return scaled;
    }
    note = "The cover is embedded at its own size (" +
           (known ? std::to_string(width) + "x" + std::to_string(height) + ", " : std::string()) +
           std::to_string(picture.bytes.size() / 1024) + " KB): " +
           (scaler == nullptr ? "nothing here scales pictures." : "it could not be scaled.");
    return picture;
}

std::string CoverFileName(const CoverPicture& picture) {
    return picture.mime == "image/png" ? "cover.png" : "cover.jpg";
}

}  // namespace corvane
