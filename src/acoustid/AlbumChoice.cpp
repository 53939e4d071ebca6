#include "acoustid/AlbumChoice.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace corvane {

namespace {

struct Tally {
    ReleaseChoice choice;
    int trackCount = 0;
    std::set<std::size_t> files;
    std::map<int, std::set<std::size_t>> filesOfMedium;
    std::map<int, int> mediumTracks;
};

// Calls visit(release) for every release named for a file by a result of
// sufficient score.
template <class Visit>
void ForEachRelease(const AidAnswer& answer, Visit visit) {
    for (const AidResult& result : answer.results) {
        if (result.score < kMinAcoustIdScore) {
            continue;
        }
        for (const AidRecording& recording : result.recordings) {
            for (const AidRelease& release : recording.releases) {
                visit(recording, release);
            }
        }
    }
}

ReleaseChoice Finished(Tally& tally, std::size_t fileCount) {
    ReleaseChoice choice = tally.choice;
    choice.filesHeld = static_cast<int>(tally.files.size());
    std::size_t mostFiles = 0;
    for (const auto& [medium, files] : tally.filesOfMedium) {
        if (files.size() > mostFiles) {
            mostFiles = files.size();
            choice.medium = medium;
        }
    }
    const auto count = static_cast<int>(fileCount);
    choice.countFits = tally.trackCount == count || tally.mediumTracks[choice.medium] == count;
    return choice;
}

auto Rank(const ReleaseChoice& c) {
    const int date = c.date == 0 ? 99999999 : c.date;
    return std::make_tuple(-c.filesHeld, !c.countFits, date, c.releaseId);
}

}  // namespace

std::vector<ReleaseChoice> ChooseReleases(const std::vector<AidAnswer>& answers) {
    std::map<std::string, Tally> tallies;
    for (std::size_t file = 0; file < answers.size(); ++file) {
        ForEachRelease(answers[file], [&](const AidRecording&, const AidRelease& release) {
            if (release.id.empty()) {
                return;
            }
            Tally& tally = tallies[release.id];
            tally.choice.releaseId = release.id;
            tally.choice.groupId = release.groupId;
            tally.choice.title = release.title;
            tally.choice.date = release.date;
            tally.trackCount = release.trackCount;
            tally.files.insert(file);
            for (const AidTrackPlace& place : release.places) {
                tally.filesOfMedium[place.medium].insert(file);
                tally.mediumTracks[place.medium] = place.mediumTracks;
            }
        });
    }
    std::vector<ReleaseChoice> choices;
    for (auto& [id, tally] : tallies) {
        // At least 60% of the files, in whole numbers.
        if (tally.files.size() * 5 >= answers.size() * 3 && !answers.empty()) {
            choices.push_back(Finished(tally, answers.size()));
        }
    }
    std::sort(choices.begin(), choices.end(),
              [](const ReleaseChoice& a, const ReleaseChoice& b) { return Rank(a) < Rank(b); });
    std::set<std::string> groups;
    std::vector<ReleaseChoice> kept;
    for (ReleaseChoice& choice : choices) {
        if (choice.groupId.empty() || groups.insert(choice.groupId).second) {
            kept.push_back(std::move(choice));
        }
    }
    return kept;
}

std::size_t TiedChoices(const std::vector<ReleaseChoice>& choices) {
    std::size_t tied = choices.empty() ? 0 : 1;
    while (tied < choices.size() && choices[tied].filesHeld == choices[0].filesHeld &&
           choices[tied].countFits == choices[0].countFits) {
        ++tied;
    }
    return tied;
}

std::vector<int> PairByRecording(const std::vector<AidAnswer>& answers,
                                 const std::string& releaseId, const MbMedium& medium) {
    std::vector<int> paired(answers.size(), -1);
    std::vector<bool> taken(medium.tracks.size(), false);
    const auto take = [&](std::size_t file, std::size_t track) {
        if (paired[file] < 0 && track < taken.size() && !taken[track]) {
            taken[track] = true;
            paired[file] = static_cast<int>(track);
        }
    };
    for (std::size_t file = 0; file < answers.size(); ++file) {
        for (const AidResult& result : answers[file].results) {
            for (const AidRecording& recording : result.recordings) {
                for (std::size_t t = 0; t < medium.tracks.size(); ++t) {
                    if (result.score >= kMinAcoustIdScore &&
                        medium.tracks[t].recordingId == recording.id) {
                        take(file, t);
                    }
                }
            }
        }
    }
    // MusicBrainz may have merged a recording since AcoustID learnt its id:
    // the position on the release still holds.
    for (std::size_t file = 0; file < answers.size(); ++file) {
        ForEachRelease(answers[file], [&](const AidRecording&, const AidRelease& release) {
            for (const AidTrackPlace& place : release.places) {
                if (release.id != releaseId || place.medium != medium.position) {
                    continue;
                }
                for (std::size_t t = 0; t < medium.tracks.size(); ++t) {
                    if (medium.tracks[t].position == place.track) {
                        take(file, t);
                    }
                }
            }
        });
    }
    return paired;
}

}  // namespace corvane
