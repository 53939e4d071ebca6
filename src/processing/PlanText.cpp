#include "processing/PlanText.h"

namespace corvane {

std::vector<std::string> PlanLines(Plan plan, const std::string& folder) {
    ForeseeRefusals(plan);
    std::vector<std::string> lines;
    lines.push_back(plan.dirName.empty() ? "Directory: none, the files stay in " + folder
                                         : "Directory: " + plan.dirName);
    for (const FileJob& job : plan.jobs) {
        if (!job.skipReason.empty()) {
            lines.push_back(job.currentName + " -> (left as it is: " + job.skipReason + ")");
        } else if (!job.refusal.empty()) {
            lines.push_back(job.currentName + " -> " + job.newName + "  (" + job.refusal + ")");
        } else {
            lines.push_back(job.currentName + " -> " + job.newName);
        }
    }
    lines.push_back("Playlist: " + (plan.playlistName.empty() ? "none" : plan.playlistName));
    return lines;
}

}  // namespace corvane
