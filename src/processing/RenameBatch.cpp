#include "processing/RenameBatch.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <unordered_map>

#include "platform/FileSystem.h"
#include "platform/Unicode.h"

namespace corvane {

namespace {

// The plain rename of a file of the folder.
RenameFunction FolderRename(const std::string& folder, RenameFunction rename) {
    if (rename) {
        return rename;
    }
    return [folder](const std::string& from, const std::string& to) {
        return RenameNoReplace(folder + from, folder + to);
    };
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Moves a file aside under a name nobody uses; returns that name or empty.
std::string ParkFile(const std::string& name, const RenameFunction& rename, int& error) {
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string parked = "~" + std::to_string(attempt) + "~" + name;
        error = rename(name, parked);
        if (error == 0) {
            return parked;
        }
        if (error != EEXIST) {
            return {};
        }
    }
    return {};
}

class Batch {
public:
    Batch(const std::vector<RenameRequest>& requests, const std::string& folder,
          RenameFunction rename)
        : requests_(requests),
          folder_(folder),
          rename_(std::move(rename)),
          results_(requests.size()),
          parkedFrom_(requests.size()) {
        for (std::size_t i = 0; i < requests.size(); ++i) {
            results_[i].finalName = requests[i].from;
            if (requests[i].from != requests[i].to) {
                pending_[requests[i].from] = i;
            }
        }
    }

    std::vector<RenameResult> Run() {
        while (!pending_.empty()) {
            if (!Pass() && !BreakRing()) {
                FailPending();
            }
        }
        RestoreParkedFailures();
        return results_;
    }

private:
    // One attempt at every pending rename, in request order; true when any
    // of them came to an end. A rename that frees a name lets the one waiting
    // for that name go at once, so a chain takes one pass.
    bool Pass() {
        bool progress = false;
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            for (std::size_t next = i; IsPending(next);) {
                const std::string from = results_[next].finalName;
                const std::string& to = requests_[next].to;
                const int error = RenameOneNoReplace(from, to, folder_, rename_);
                if (error == EEXIST && pending_.count(to) != 0) {
                    waiting_[to] = next;  // held by a file of the set that has yet to move
                    break;
                }
                pending_.erase(from);
                results_[next].error = error;
                progress = true;
                if (error != 0) {
                    break;
                }
                results_[next].finalName = to;
                const auto waiter = waiting_.find(from);
                if (waiter == waiting_.end()) {
                    break;
                }
                next = waiter->second;
                waiting_.erase(waiter);
            }
        }
        return progress;
    }

    // Every pending rename waits for another one, so they wait in a ring:
    // move aside the first file whose name another one is waiting for.
    bool BreakRing() {
        std::unordered_map<std::string, bool> wanted;
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (IsPending(i)) {
                wanted[requests_[i].to] = true;
            }
        }
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (!IsPending(i) || wanted.count(results_[i].finalName) == 0) {
                continue;
            }
            const std::string name = results_[i].finalName;
            pending_.erase(name);
            int error = 0;
            const std::string parked = ParkFile(name, rename_, error);
            if (parked.empty()) {
                results_[i].error = error != 0 ? error : EEXIST;
                return true;
            }
            results_[i].finalName = parked;
            parkedFrom_[i] = name;
            pending_[parked] = i;
            return true;
        }
        return false;
    }

    // Not reached while the waits form rings; a guard against looping.
    void FailPending() {
        for (const auto& entry : pending_) {
            results_[entry.second].error = EEXIST;
        }
        pending_.clear();
    }

    // A parked file that could not take its new name gets its old one back
    // when that is still free.
    void RestoreParkedFailures() {
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (results_[i].error != 0 && !parkedFrom_[i].empty() &&
                rename_(results_[i].finalName, parkedFrom_[i]) == 0) {
                results_[i].finalName = parkedFrom_[i];
            }
        }
    }

    bool IsPending(std::size_t i) const {
        const auto found = pending_.find(results_[i].finalName);
        return found != pending_.end() && found->second == i;
    }

    const std::vector<RenameRequest>& requests_;
    const std::string folder_;
    const RenameFunction rename_;
    std::vector<RenameResult> results_;
    std::vector<std::string> parkedFrom_;
    std::unordered_map<std::string, std::size_t> pending_;  // current name -> request
    std::unordered_map<std::string, std::size_t> waiting_;  // wanted name -> request
};

}  // namespace

int RenameOneNoReplace(const std::string& from, const std::string& to, const std::string& folder,
                       const RenameFunction& given) {
    const RenameFunction rename = FolderRename(folder, given);
    const int error = rename(from, to);
    // A file system that ignores case may give each spelling its own inode
    // number (exFAT): a change of case alone goes through a temporary name.
    if (error != EEXIST ||
        (!IsSameFile(folder + from, folder + to) && ToUpperUtf8(from) != ToUpperUtf8(to))) {
        return error;
    }
    int parkError = 0;
    const std::string parked = ParkFile(from, rename, parkError);
    if (parked.empty()) {
        return parkError != 0 ? parkError : EEXIST;
    }
    const int renameError = rename(parked, to);
    if (renameError != 0) {
        rename(parked, from);
    }
    return renameError;
}

std::vector<RenameResult> RenameAll(const std::vector<RenameRequest>& requests,
                                    const std::string& folder, RenameFunction rename) {
    return Batch(requests, folder, FolderRename(folder, std::move(rename))).Run();
}

std::vector<RenameResult> RenameAllGrouped(const std::vector<RenameRequest>& requests,
                                           const std::string& folder,
                                           const MoveGroupFunction& moveGroup,
                                           RenameFunction rename) {
    // The folder's names, renamed in memory as the batch would rename them.
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder.empty() ? "." : folder, ignored)) {
        names.insert(entry.path().filename().string());
    }
    std::vector<RenameRequest> moves;
    Batch(requests, folder, [&](const std::string& from, const std::string& to) {
        if (names.count(to) != 0) {
            return EEXIST;
        }
        if (names.erase(from) == 0) {
            return ENOENT;
        }
        names.insert(to);
        moves.push_back({from, to});
        return 0;
    }).Run();
    const std::vector<int> errors = moves.empty() ? std::vector<int>() : moveGroup(moves);
    // Where each file is now, after the moves that were made.
    std::unordered_map<std::string, std::size_t> at;
    std::vector<RenameRequest> left(requests);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        at[requests[i].from] = i;
    }
    for (std::size_t k = 0; k < moves.size(); ++k) {
        const auto found = at.find(moves[k].from);
        if (errors[k] == 0 && found != at.end()) {
            const std::size_t i = found->second;
            at.erase(found);
            at[moves[k].to] = i;
            left[i].from = moves[k].to;
        }
    }
    return RenameAll(left, folder, std::move(rename));
}

}  // namespace corvane
