#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "processing/DependencyStep.h"

namespace corvane {

// One of the album folder's other files (a cover, a text, a rip log) and
// whether it is to move into the album directory.
struct DependencyEntry {
    std::string name;
    bool checked = false;
};

// The candidates in the order they were added, and a position that walks the
// checked ones.
class DependencyList {
public:
    void AddEntry(const std::string& name, bool checked) { entries_.push_back({name, checked}); }
    std::size_t EntryCount() const { return entries_.size(); }
    // Puts the position on the first checked entry; false when none is.
    bool FirstChecked();
    // Gives the name at the position and moves on to the next checked entry;
    // false when there is no next one (the name given is still valid).
    bool NextChecked(std::string& name);

    std::vector<DependencyEntry>& Entries() { return entries_; }
    const std::vector<DependencyEntry>& Entries() const { return entries_; }

private:
    std::size_t NextCheckedFrom(std::size_t index) const;

    std::vector<DependencyEntry> entries_;
    std::size_t position_ = 0;
};

// The name upper-cased with every run of characters that are not letters or
// digits made one blank: "Cover (Front).jpg" gives "COVER FRONT JPG".
std::string DependencyKey(const std::string& name);

// Whether a file of that name belongs to the album: its key contains the
// search words (upper case) or the album text, compared in the key's form.
// Empty words or an empty album text match every name.
bool BelongsToAlbum(const std::string& name, const std::string& album,
                    const std::string& searchWords);

// Lists the files of folder that may belong with the album, sorted by name:
// regular files whose name holds a "." and does not end in ".mp3" (any case).
// Folders, hidden files and the settings file are never listed. Returns 0 or the errno value of
// a folder that cannot be read.
int ListDependencies(const std::string& folder, const std::string& album,
                     const std::string& searchWords, DependencyList& list);

// Lets the user confirm the candidates; the checks are written back whatever
// the answer. True when the chosen files are to be moved.
class DependencyChooser {
public:
    virtual ~DependencyChooser() = default;
    virtual bool ChooseDependencies(DependencyList& list, const std::string& dirName) = 0;
};

// The dependencies step: lists the candidates in the album folder, lets the
// chooser confirm them when the run asks for it, and moves the checked ones
// into the album directory. A file of the same name there is never replaced.
class DependencyMover : public DependencyStep {
public:
    using MoveListener = std::function<void(const std::string& name, const std::string& target)>;

    explicit DependencyMover(DependencyChooser* chooser = nullptr) : chooser_(chooser) {}

    // Called for each file moved, with its name and its new name relative to
    // the album folder ("directory/name").
    void SetMoveListener(MoveListener listener) { listener_ = std::move(listener); }
    // Every candidate is moved, checked or not, and the chooser is not asked.
    void SetMoveAll(bool moveAll) { moveAll_ = moveAll; }

    int Run(const DependencyContext& context, ProcessingLog& log) override;
    bool MovesAll() const override { return moveAll_; }

private:
    int MoveChecked(DependencyList& list, const DependencyContext& context, ProcessingLog& log);
    bool Report(const std::string& name, int error, const DependencyContext& context,
                ProcessingLog& log);

    DependencyChooser* chooser_;
    MoveListener listener_;
    bool moveAll_ = false;
};

}  // namespace corvane
