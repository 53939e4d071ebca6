#pragma once

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

// Renames a set of files inside one folder (names relative to the current
// directory) without ever replacing a file. A rename whose target is still
// held by another file of the set waits until that file has moved on, and a
// ring of swapped names is broken through a temporary name, so re-pairing an
// already renamed album works. Results come back in request order.
std::vector<RenameResult> RenameAll(const std::vector<RenameRequest>& requests);

// Renames one file; a change of letter case alone also works on file systems
// that ignore case (FAT media), where the target looks taken by the file itself.
int RenameOneNoReplace(const std::string& from, const std::string& to);

}  // namespace corvane
