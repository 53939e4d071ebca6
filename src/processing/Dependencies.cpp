#include "processing/Dependencies.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "association/MatchScore.h"
#include "components/SettingsValues.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"

namespace corvane {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FilesText(std::size_t count) {
    return count == 1 ? "1 file" : std::to_string(count) + " files";
}

bool IsCandidateName(const std::string& name) {
    // Hidden files are the folder's own (desktop settings, a run journal),
    // and the settings file is the program's: neither is part of the album.
    if (name.empty() || name.front() == '.' || name == kIniFileName) {
        return false;
    }
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && ToUpperUtf8(name.substr(dot)) != ".MP3";
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::size_t DependencyList::NextCheckedFrom(std::size_t index) const {
    while (index < entries_.size() && !entries_[index].checked) {
        ++index;
    }
    return index;
}

bool DependencyList::FirstChecked() {
    position_ = NextCheckedFrom(0);
    return position_ < entries_.size();
}

bool DependencyList::NextChecked(std::string& name) {
    if (position_ >= entries_.size()) {
        return false;
    }
    name = entries_[position_].name;
    position_ = NextCheckedFrom(position_ + 1);
    return position_ < entries_.size();
}

std::string DependencyKey(const std::string& name) {
    std::string key = ToUpperUtf8(name);
    NormalizeForMatch(key);
    return key;
}

bool BelongsToAlbum(const std::string& name, const std::string& album,
                    const std::string& searchWords) {
    const std::string key = DependencyKey(name);
    // The album text in the key's form: as typed ("Help") it could never
    // match a key, which is all capitals.
    return key.find(searchWords) != std::string::npos ||
           key.find(DependencyKey(album)) != std::string::npos;
}

int ListDependencies(const std::string& folder, const std::string& album,
                     const std::string& searchWords, DependencyList& list) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return errno;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (IsCandidateName(name) && IsRegularFile(folder + "/" + name)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        list.AddEntry(name, BelongsToAlbum(name, album, searchWords));
    }
    return 0;
}

int DependencyMover::Run(const DependencyContext& context, ProcessingLog& log) {
    if (!context.createDirectory) {
        return 0;
    }
    log.Log("Checking For Dependencies...");
    if (!context.albumDirEntered || context.dirName.empty() || context.albumFolder.empty()) {
        // The earlier steps have logged why; the album's files are not there.
        log.LogProblem("No album directory to move the dependencies into.");
        return 0;
    }
    DependencyList list;
    const int error =
        ListDependencies(context.albumFolder, context.firstTrack.album, context.searchWords, list);
    if (error != 0) {
        log.LogProblem("Cannot list the folder " + Quoted(context.albumFolder) + ": " +
                       ErrorText(error));
        return 1;
    }
    log.Log(kDoneText);
    if (list.EntryCount() == 0) {
        return 0;
    }
    if (moveAll_) {
        for (DependencyEntry& entry : list.Entries()) {
            entry.checked = true;
        }
    } else if (context.confirmDependencies && chooser_ != nullptr &&
               !chooser_->ChooseDependencies(list, context.dirName)) {
        return 0;
    }
    return MoveChecked(list, context, log);
}

bool DependencyMover::MoveOne(const std::string& name, const DependencyContext& context,
                              ProcessingLog& log) {
    const std::string target = context.dirName + "/" + name;
    const int error = RenameNoReplace(context.albumFolder + name, context.albumFolder + target);
    if (error == EEXIST) {
        log.LogProblem("Kept " + Quoted(name) + " in the album folder: " + Quoted(context.dirName) +
                       " holds a file of that name.");
        return false;
    }
    if (error != 0) {
        log.LogProblem("Cannot move " + Quoted(name) + " into " + Quoted(context.dirName) + ": " +
                       ErrorText(error));
        return false;
    }
    if (listener_) {
        listener_(name, target);
    }
    return true;
}

int DependencyMover::MoveChecked(DependencyList& list, const DependencyContext& context,
                                 ProcessingLog& log) {
    log.Log("Moving Dependencies Files...");
    std::size_t tried = 0;
    int failed = 0;
    std::string name;
    for (bool more = list.FirstChecked(); more;) {
        more = list.NextChecked(name);
        ++tried;
        failed += MoveOne(name, context, log) ? 0 : 1;
    }
    if (failed == 0) {
        log.Log(kDoneText);
    } else {
        log.LogProblem(std::to_string(failed) + " of " + FilesText(tried) + " not moved.");
    }
    return failed;
}

}  // namespace corvane
