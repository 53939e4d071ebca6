#pragma once

#include <functional>
#include <string>
#include <vector>

#include "album/TrackInfo.h"
#include "processing/TagSaver.h"

namespace corvane {

class AlbumLists;
class MainForm;
class Mp3InfoObject;

// The "Rename / Tag Info" fields: they show the selected files' values and
// "ID3 Tag Files" writes what was typed into one file or several (a field
// left empty keeps each file's own value).
class TagFieldEditor {
public:
    using StatusSink = std::function<void(const std::string&)>;

    TagFieldEditor(MainForm& form, TrackList& files, AlbumLists& lists, StatusSink status);

    // The component that reads a selected file's cover; without one only
    // the folder's picture shows.
    void SetMp3Info(Mp3InfoObject* mp3Info) { mp3Info_ = mp3Info; }
    // 3: ID3v2.3, 4: ID3v2.4, as the settings say.
    void SetId3Version(int version) { id3Version_ = version; }

    void Enable(bool enable);
    void Clear();
    // The values the selected files share; a field they differ in is empty.
    void ShowSelection();
    // Writes the typed fields into the selected files and lists them again.
    void SaveIntoSelection(Mp3InfoObject& mp3Info);

private:
    void Show(const TrackInfo& record);
    void ShowCover(const TrackInfo& record);
    TagFields Typed() const;
    void SaveIntoOne(Mp3InfoObject& mp3Info);
    void SaveIntoSeveral(const std::vector<int>& records, Mp3InfoObject& mp3Info);
    // The lists again, the fields cleared until a file is selected.
    void Refill();

    MainForm& form_;
    TrackList& files_;
    AlbumLists& lists_;
    StatusSink status_;
    Mp3InfoObject* mp3Info_ = nullptr;
    int id3Version_ = 3;
};

}  // namespace corvane
