#include "app/TagFieldEditor.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/AlbumLists.h"
#include "app/MainForm.h"
#include "widgets/CoverBox.h"

namespace corvane {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The tag values all the records share; a field they differ in is empty.
TrackInfo SharedTagValues(const TrackList& files, const std::vector<int>& records) {
    TrackInfo shared = files[static_cast<std::size_t>(records.front())];
    for (const int record : records) {
        const TrackInfo& file = files[static_cast<std::size_t>(record)];
        for (auto field :
             {&TrackInfo::artist, &TrackInfo::album, &TrackInfo::year, &TrackInfo::comment,
              &TrackInfo::genre, &TrackInfo::title, &TrackInfo::track, &TrackInfo::albumArtist}) {
            if (shared.*field != file.*field) {
                (shared.*field).clear();
            }
        }
        for (auto field : {&TrackInfo::trackCount, &TrackInfo::discNumber, &TrackInfo::discCount}) {
            if (shared.*field != file.*field) {
                shared.*field = 0;
            }
        }
    }
    return shared;
}

// "3" or "3/12"; empty for none.
std::string NumberPairText(const std::string& number, int total) {
    return number.empty() || total <= 0 ? number : number + "/" + std::to_string(total);
}

std::string TextOf(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

}  // namespace

TagFieldEditor::TagFieldEditor(MainForm& form, TrackList& files, AlbumLists& lists,
                               StatusSink status)
    : form_(form), files_(files), lists_(lists), status_(std::move(status)) {}

void TagFieldEditor::Enable(bool enable) {
    for (QWidget* field : std::initializer_list<QWidget*>{
             form_.artistEdit, form_.albumEdit, form_.yearEdit, form_.genreCombo, form_.commentEdit,
             form_.titleEdit, form_.trackEdit, form_.albumArtistEdit, form_.discEdit,
             form_.coverBox}) {
        field->setEnabled(enable);
    }
}

void TagFieldEditor::Clear() {
    form_.artistEdit->clear();
    form_.albumEdit->clear();
    form_.yearEdit->clear();
    form_.commentEdit->clear();
    form_.genreCombo->setCurrentIndex(-1);
    form_.genreCombo->setEditText(QString());
    for (QLineEdit* edit :
         {form_.titleEdit, form_.trackEdit, form_.albumArtistEdit, form_.discEdit}) {
        edit->clear();
    }
    form_.coverBox->ShowPicture({});
}

void TagFieldEditor::ShowSelection() {
    const std::vector<int> records = lists_.SelectedFileRecords();
    if (records.empty()) {
        Clear();
        return;
    }
    Show(SharedTagValues(files_, records));
    ShowCover(files_[static_cast<std::size_t>(records.front())]);
}

// The file's embedded front cover, else the picture of its folder.
void TagFieldEditor::ShowCover(const TrackInfo& record) {
    CoverPicture picture;
    if (record.coverBytes > 0 && mp3Info_ != nullptr && mp3Info_->Open(record.filePath) == 0) {
        const TagDetails details = mp3Info_->GetTagDetails();
        picture = {details.cover, details.coverMime};
    }
    if (picture.Empty()) {
        const auto slash = record.filePath.rfind('/');
        std::string name;
        picture =
            FolderCover(slash == std::string::npos ? "." : record.filePath.substr(0, slash), name);
    }
    form_.coverBox->ShowPicture(picture);
}

void TagFieldEditor::Show(const TrackInfo& record) {
    form_.artistEdit->setText(FromUtf8(record.artist));
    form_.albumEdit->setText(FromUtf8(record.album));
    form_.yearEdit->setText(FromUtf8(record.year));
    form_.commentEdit->setText(FromUtf8(record.comment));
    form_.titleEdit->setText(FromUtf8(record.title));
    form_.trackEdit->setText(
        FromUtf8(NumberPairText(TrackNumberText(record.track), record.trackCount)));
    form_.albumArtistEdit->setText(FromUtf8(record.albumArtist));
    form_.discEdit->setText(FromUtf8(
        NumberPairText(record.discNumber > 0 ? std::to_string(record.discNumber) : std::string(),
                       record.discCount)));
    // A genre the list does not name is shown as typed, so that saving the
    // tag keeps it instead of wiping it.
    if (record.genre.empty() || form_.genreBox.SelectPrefix(record.genre) < 0) {
        form_.genreCombo->setCurrentIndex(-1);
        form_.genreCombo->setEditText(FromUtf8(record.genre));
    }
}

TagFields TagFieldEditor::Typed() const {
    TagFields fields;
    fields.artist = form_.artistEdit->text().toStdString();
    fields.album = form_.albumEdit->text().toStdString();
    fields.year = form_.yearEdit->text().toStdString();
    fields.comment = form_.commentEdit->text().toStdString();
    fields.genre = form_.genreCombo->currentText().toStdString();
    fields.title = TextOf(form_.titleEdit);
    fields.track = TextOf(form_.trackEdit);
    fields.albumArtist = TextOf(form_.albumArtistEdit);
    fields.disc = TextOf(form_.discEdit);
    fields.cover = form_.coverBox->Chosen();
    fields.id3Version = id3Version_;
    return fields;
}

void TagFieldEditor::SaveIntoSelection(Mp3InfoObject& mp3Info) {
    const std::vector<int> records = lists_.SelectedFileRecords();
    if (records.size() > 1) {
        SaveIntoSeveral(records, mp3Info);
    } else {
        SaveIntoOne(mp3Info);
    }
}

void TagFieldEditor::Refill() {
    lists_.FillFileList();
    Clear();
    Enable(false);
}

void TagFieldEditor::SaveIntoOne(Mp3InfoObject& mp3Info) {
    const TagSaveResult result = SaveTagOfSelectedFile(
        files_, lists_.FileRecordOfRow(lists_.SelectedFileRow()), Typed(), mp3Info);
    if (result.outcome == TagSaveOutcome::kNoSelection) {
        return;
    }
    if (result.outcome == TagSaveOutcome::kSaved) {
        Refill();
        // Keep the file in view and its fields shown, as before the save; the list now shows
        // each record in its own row.
        lists_.MakeFileRowCurrent(result.record);
        Show(files_[static_cast<std::size_t>(result.record)]);
        ShowCover(files_[static_cast<std::size_t>(result.record)]);
        Enable(true);
    }
    status_(TagSaveStatusText(result, files_));
}

void TagFieldEditor::SaveIntoSeveral(const std::vector<int>& records, Mp3InfoObject& mp3Info) {
    const std::vector<TagSaveResult> results = SaveTagOfFiles(files_, records, Typed(), mp3Info);
    for (const TagSaveResult& result : results) {
        if (result.outcome != TagSaveOutcome::kSaved) {
            status_(TagSaveStatusText(result, files_));
        }
    }
    Refill();
    // The same files stay selected, now in name order, with the values they share.
    lists_.SelectFileRecords(records);
    ShowSelection();
    Enable(true);
    lists_.SelectPartnersOfFiles();
    status_(TagSaveCountText(results));
}

}  // namespace corvane
