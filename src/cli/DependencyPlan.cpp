#include "cli/DependencyPlan.h"

#include <unistd.h>

#include <cstdio>

#include "lookup/SearchWords.h"
#include "naming/CaseConversion.h"
#include "platform/FileSystem.h"

namespace corvane::cli {

std::string DependencySearchWords(const AlbumFolder& album) {
    return ConvertCase(BuildSearchWords(album.files, 90), kCaseUpper);
}

void PrintDependencyPlan(const AlbumFolder& album, const std::string& dirName,
                         const DependencyChoice& choice) {
    DependencyList list;
    const std::string folder = album.folder + "/";
    const int error =
        ListDependencies(folder, album.tracks.front().album, DependencySearchWords(album), list);
    if (error != 0) {
        std::printf("Dependencies: cannot list the folder: %s\n", ErrorText(error).c_str());
        return;
    }
    if (list.EntryCount() == 0) {
        std::printf("Dependencies: none\n");
    }
    for (const DependencyEntry& entry : list.Entries()) {
        const std::string target = dirName + "/" + entry.name;
        if (!entry.checked && !choice.all) {
            std::printf(
                "Dependency %s stays (its name does not match the album; "
                "--dependencies all moves it)\n",
                entry.name.c_str());
        } else if (::access((folder + target).c_str(), F_OK) == 0) {
            std::printf("Dependency %s stays (the directory holds a file of that name)\n",
                        entry.name.c_str());
        } else {
            std::printf("Dependency %s -> %s\n", entry.name.c_str(), target.c_str());
        }
    }
}

}  // namespace corvane::cli
