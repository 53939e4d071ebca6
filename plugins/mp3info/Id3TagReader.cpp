#include "Id3TagReader.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unknownframe.h>

#include <algorithm>
#include <cctype>
#include <climits>

#include "ByteSourceStream.h"

namespace corvane {

namespace {

std::string Utf8(const TagLib::String& s) {
    return s.to8Bit(true);
}

// The comment without description. Described comments hold data of other
// programs (iTunNORM, iTunSMPB...), which TagLib would show when no plain
// comment is there.
std::string PlainComment(const TagLib::ID3v2::Tag& v2, const TagLib::ID3v1::Tag* v1) {
    for (const auto* frame : v2.frameListMap()["COMM"]) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment != nullptr && comment->description().isEmpty()) {
            return Utf8(comment->text());
        }
    }
    return v1 != nullptr ? Utf8(v1->comment()) : std::string();
}

bool SameText(const TagLib::String& a, const char* b) {
    return a.upper() == TagLib::String(b).upper();
}

// The disc identifiers of EAC, foobar2000, Picard and iTunes, and the MCDI
// table of contents.
void ReadDiscTags(TagLib::ID3v2::Tag& v2, Id3Fields& fields) {
    for (const auto* frame : v2.frameListMap()["TXXX"]) {
        const auto* user = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (user == nullptr || user->fieldList().size() < 2) {
            continue;
        }
        const TagLib::String& description = user->description();
        const std::string value = Utf8(user->fieldList()[1]);
        if (SameText(description, "DISCID") || SameText(description, "CDDB DiscID")) {
            fields.cddbId = value;
        } else if (SameText(description, "MusicBrainz Disc Id")) {
            fields.musicBrainzDiscId = value;
        } else if (SameText(description, "iTunes_CDDB_1")) {
            fields.itunesCddb = value;
        }
    }
    for (const auto* frame : v2.frameListMap()["COMM"]) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment != nullptr && SameText(comment->description(), "iTunes_CDDB_1")) {
            fields.itunesCddb = Utf8(comment->text());
        }
    }
    const auto& mcdi = v2.frameListMap()["MCDI"];
    if (!mcdi.isEmpty()) {
        if (const auto* raw = dynamic_cast<const TagLib::ID3v2::UnknownFrame*>(mcdi.front())) {
            const TagLib::ByteVector& data = raw->data();
            fields.cdToc.assign(data.data(), data.size());
        }
    }
}

}  // namespace

int ParseTrackNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i]))) {
        // Digits after a separator belong to "n/total", not to the track.
        if (text[i] == '/') {
            return -1;
        }
        ++i;
    }
    if (i == text.size()) {
        return -1;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            return -1;
        }
    }
    return static_cast<int>(value);
}

Id3Fields ReadId3Fields(ByteSource& source) {
    Id3Fields fields;
    ByteSourceStream stream(source);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid()) {
        return fields;
    }
    fields.hasTag = file.hasID3v1Tag() || file.hasID3v2Tag();
    const TagLib::Tag* tag = file.tag();
    if (tag == nullptr) {
        return fields;
    }
    fields.title = Utf8(tag->title());
    fields.artist = Utf8(tag->artist());
    fields.album = Utf8(tag->album());
    fields.comment = Utf8(tag->comment());
    fields.genre = Utf8(tag->genre());
    fields.year = tag->year() > 0 && tag->year() <= INT_MAX ? static_cast<int>(tag->year()) : 0;
    TagLib::ID3v2::Tag* v2 = file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
    if (v2 != nullptr && !v2->frameListMap()["COMM"].isEmpty()) {
        fields.comment = PlainComment(*v2, file.hasID3v1Tag() ? file.ID3v1Tag() : nullptr);
    }
    // Some taggers put the year only into the release date of ID3v2.4.
    if (fields.year == 0 && v2 != nullptr && !v2->frameListMap()["TDRL"].isEmpty()) {
        fields.year =
            std::max(0, ParseTrackNumber(Utf8(v2->frameListMap()["TDRL"].front()->toString())));
    }
    if (v2 != nullptr) {
        ReadDiscTags(*v2, fields);
    }
    // TagLib reports a missing track as 0; the frame tells "0" from none.
    if (v2 != nullptr && !v2->frameListMap()["TRCK"].isEmpty()) {
        fields.track = ParseTrackNumber(Utf8(v2->frameListMap()["TRCK"].front()->toString()));
    } else if (tag->track() > 0 && tag->track() <= INT_MAX) {
        fields.track = static_cast<int>(tag->track());
    }
    return fields;
}

}  // namespace corvane
