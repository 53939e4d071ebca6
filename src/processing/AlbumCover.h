#pragma once

#include <cstddef>
#include <string>

#include "platform/HttpFetch.h"

namespace corvane {

struct SettingsValues;

// A picture as core handles it: bytes and their MIME type.
struct CoverPicture {
    std::string bytes;
    std::string mime;  // "image/jpeg" or "image/png"; empty = no picture

    bool Empty() const { return bytes.empty(); }
};

// An embedded cover larger than this is scaled down first.
inline constexpr int kMaxEmbeddedSide = 1200;
inline constexpr std::size_t kMaxEmbeddedBytes = 1024 * 1024;

// Scales a picture so that neither side exceeds maxSide (a JPEG of it when
// it is still too large in bytes). The window has one; the command line has
// none and embeds the original.
class ImageScaler {
public:
    virtual ~ImageScaler() = default;
    virtual bool Scale(const CoverPicture& in, int maxSide, std::size_t maxBytes,
                       CoverPicture& out) = 0;
};

// What a run writes beyond the seven fields: the tag version, and where it
// gets the album's cover and what it does with it. Off unless the settings
// say so.
struct TagOptions {
    int id3Version = 3;
    bool fetch = false;  // from the archive, when MusicBrainz found the release
    std::string server;
    std::string size = "500";
    std::string userAgent;
    FetchProxy proxy;
    bool save = false;
    bool embed = false;
    bool replace = false;
    ImageScaler* scaler = nullptr;
};

TagOptions TagOptionsFrom(const SettingsValues& settings);

// A picture in the album folder that is the album's cover: cover.jpg,
// folder.jpg, front.jpg (also as .png), else the only .jpg or .png; name
// gets its file name. Empty when there is none.
CoverPicture FolderCover(const std::string& folder, std::string& name);

// Width and height from a JPEG's or PNG's header; false when they are not
// there.
bool PictureDimensions(const std::string& bytes, int& width, int& height);

// The picture to embed: scaled down when it is over the limits and a scaler
// is there; note says what was done when it was not scaled.
CoverPicture EmbeddablePicture(const CoverPicture& picture, ImageScaler* scaler, std::string& note);

// "cover.jpg" or "cover.png".
std::string CoverFileName(const CoverPicture& picture);

}  // namespace corvane
