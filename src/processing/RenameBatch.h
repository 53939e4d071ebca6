#pragma once

#include <functional>
#include <string>
#include <vector>

namespace corvane {

struct RenameRequest {
    std::string from;
    std::string to;
};

struct RenameResult {
    std::string finalName;  // the name the file has afterwards
    int error = 0;          // 0 = renamed (or already so named), else errno
};

// Renames one file of the folder, never replacing a file; bare names.
using RenameFunction = std::function<int(const std::string& from, const std::string& to)>;

// Renames a set of files inside one folder (bare names in folder, which ends
// in "/" or is empty for the current directory) without ever replacing a
// file. A rename whose target is still held by another file of the set waits
// until that file has moved on, and a ring of swapped names is broken through
// a temporary name, so re-pairing an already renamed album works. Every
// rename goes through `rename` when given. Results come back in request order.
std::vector<RenameResult> RenameAll(const std::vector<RenameRequest>& requests,
                                    const std::string& folder = {}, RenameFunction rename = {});

// The same in one go where a journal notes a group of moves at once: the
// moves RenameAll would make are worked out first, from the names the folder
// holds, and made through moveGroup (the error of each, in order); whatever
// did not land (a file that changed meanwhile, a file system that ignores
// case) is renamed again one by one through rename.
using MoveGroupFunction = std::function<std::vector<int>(const std::vector<RenameRequest>& moves)>;
std::vector<RenameResult> RenameAllGrouped(const std::vector<RenameRequest>& requests,
                                           const std::string& folder,
                                           const MoveGroupFunction& moveGroup,
                                           RenameFunction rename);

// Renames one file; a change of letter case alone also works on file systems
// that ignore case (FAT media), where the target looks taken by the file itself.
int RenameOneNoReplace(const std::string& from, const std::string& to,
                       const std::string& folder = {}, const RenameFunction& rename = {});

}  // namespace corvane
