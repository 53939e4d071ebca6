// The album's cover and the frames beyond the seven fields, within the move,
// tag and rename step of ProcessingPipeline.

#include "musicbrainz/CoverArtClient.h"
#include "platform/FileSystem.h"
#include "processing/ProcessingPipeline.h"
#include "processing/TagBackup.h"

namespace corvane {

namespace {

std::string InQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

// The archive's front cover of the release MusicBrainz found, else a picture
// of the album folder. Whatever goes wrong, the run goes on without one.
void ProcessingPipeline::PrepareCover() {
    cover_ = {};
    coverDownloaded_ = false;
    const TagOptions& tags = options_.tags;
    if (!tags.embed && !tags.save) {
        return;
    }
    const std::string release = tracks_.empty() ? std::string() : tracks_[0].ids.musicBrainzAlbumId;
    if (tags.fetch && !release.empty()) {
        log_.Log("Fetching the Cover...");
        const CoverFetch fetch = FetchFrontCover(CoverArtUrl(tags.server, release, tags.size),
                                                 tags.userAgent, tags.proxy);
        if (fetch.status == CoverFetchStatus::kFound) {
            cover_ = {fetch.bytes, fetch.mime};
            coverDownloaded_ = true;
            log_.Log(kDoneText);
        } else {
            log_.Log(fetch.status == CoverFetchStatus::kNone
                         ? "The archive has no front cover of this release."
                         : "No cover from the archive: " + fetch.errorText + ".");
        }
    }
    if (cover_.Empty() && tags.embed) {
        std::string name;
        cover_ = FolderCover(plan_.albumFolder.empty() ? "." : plan_.albumFolder, name);
        if (!cover_.Empty()) {
            log_.Log("The cover is " + InQuotes(name) + " of the album folder.");
        }
    }
    if (!cover_.Empty() && tags.embed) {
        std::string note;
        cover_ = EmbeddablePicture(cover_, tags.scaler, note);
        if (!note.empty()) {
            log_.Log(note);
        }
    }
}

ExtraTagFields ProcessingPipeline::ExtraFieldsOf(const TrackInfo& track) const {
    ExtraTagFields extra;
    extra.albumArtist = track.albumArtist;
    extra.trackCount = track.trackCount;
    extra.discNumber = track.discNumber;
    extra.discCount = track.discCount;
    const AlbumIds& ids = track.ids;
    extra.userTexts = {{"CDDB DiscID", ids.cddbDiscId},
                       {"MusicBrainz Album Id", ids.musicBrainzAlbumId},
                       {"MusicBrainz Album Artist Id", ids.musicBrainzAlbumArtistId},
                       {"MusicBrainz Release Group Id", ids.musicBrainzReleaseGroupId},
                       {"MusicBrainz Disc Id", ids.musicBrainzDiscId}};
    if (!ids.musicBrainzRecordingId.empty()) {
        extra.ufidOwner = "http://musicbrainz.org";
        extra.ufid = ids.musicBrainzRecordingId;
    }
    if (options_.tags.embed) {
        extra.picture = cover_.bytes;
        extra.pictureMime = cover_.mime;
        extra.replacePicture = options_.tags.replace;
    }
    extra.id3Version = options_.tags.id3Version;
    return extra;
}

// A downloaded cover beside the files, through a temporary file and a
// rename that never replaces a picture already there.
void ProcessingPipeline::SaveCover() {
    if (!coverDownloaded_ || !options_.tags.save || blocked_) {
        return;
    }
    const std::string name = CoverFileName(cover_);
    const std::string path = WorkPath(name);
    // One in the album folder moves along into the album directory later.
    if (Exists(journal_.Absolute(path)) || Exists(journal_.Absolute(name))) {
        log_.Log(InQuotes(name) + " is already there: it stays.");
        return;
    }
    int error = journal_.Note(JournalOpKind::kWrite,
                              {kCoverTemporary, path, HashText(ContentHash(cover_.bytes))});
    if (error == 0) {
        ops_.RemoveFile(journal_.Absolute(kCoverTemporary));
        error = ops_.CreateFile(journal_.Absolute(kCoverTemporary), cover_.bytes);
        if (error == 0) {
            error = ops_.Rename(journal_.Absolute(kCoverTemporary), journal_.Absolute(path));
        }
        if (error != 0) {
            ops_.RemoveFile(journal_.Absolute(kCoverTemporary));
        }
        journal_.TouchParentOf(path);
        journal_.Touch(kJournalFolder);
        journal_.Outcome(error);
        journal_.Commit();
    }
    if (error != 0) {
        log_.Log("Cannot save the cover as " + InQuotes(name) + ": " + ErrorText(error));
    }
}

}  // namespace corvane
