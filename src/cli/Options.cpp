#include "cli/Options.h"

#include "musicbrainz/MusicBrainzClient.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/ApplyCommand.h"
#include "naming/CaseConversion.h"
#include "settings/SettingsIni.h"

namespace corvane::cli {

namespace {

// Lower case without blanks, "-" and "_": "upper-case" and "Upper Case" meet.
std::string Simplified(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '-' && c != '_') {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

// The case mode's own text for what the user typed: the full name in any
// spelling, its first word ("upper", "space"), or "none".
std::optional<std::string> CaseModeNamed(const std::string& typed) {
    const std::string wanted = Simplified(typed);
    if (wanted == "none") {
        return std::string(kCaseDoNothing);
    }
    for (const char* mode : kCaseModes) {
        const std::string name = mode;
        const std::string firstWord = name.substr(0, name.find(' '));
        if (wanted == Simplified(name) || wanted == Simplified(firstWord)) {
            return name;
        }
    }
    return std::nullopt;
}

std::string CaseModeProblem(const std::string& typed) {
    std::string modes;
    for (const char* name : kCaseModes) {
        modes += std::string(modes.empty() ? "" : ", ") + "\"" + name + "\"";
    }
    return "unknown case mode \"" + typed + "\"; one of " + modes;
}

bool ParseCount(const std::string& text, int& value) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::stoi(text);
    return value > 0;
}

int ApplyUsageError(const std::string& message) {
    std::fprintf(stderr, "corvane-cli apply: %s\nusage: corvane-cli %s\n", message.c_str(),
                 kApplyUsage);
    return 2;
}

}  // namespace

Option Flag(std::string name, bool& target, bool value) {
    return Option{std::move(name), nullptr, &target, value};
}

Option Valued(std::string name, std::function<std::string(const std::string&)> take) {
    return Option{std::move(name), std::move(take)};
}

Option Text(std::string name, std::optional<std::string>& target) {
    return Valued(std::move(name), [&target](const std::string& value) {
        target = value;
        return std::string();
    });
}

Option ServerAddress(std::string name, std::optional<std::string>& target) {
    return Valued(std::move(name), [&target](const std::string& value) {
        target = value;
        return IsCddbServerText(value) ? std::string()
                                       : "\"" + value + "\" is not HOST or HOST:PORT";
    });
}

namespace {

std::string UrlProblem(const std::string& value) {
    return IsMusicBrainzServerText(value) ? std::string()
                                          : "\"" + value + "\" is not an http:// or https:// URL";
}

}  // namespace

Option ServiceUrl(std::string name, std::string& target) {
    return Valued(std::move(name), [&target](const std::string& value) {
        target = value;
        return UrlProblem(value);
    });
}

Option ServiceUrl(std::string name, std::optional<std::string>& target) {
    return Valued(std::move(name), [&target](const std::string& value) {
        target = value;
        return UrlProblem(value);
    });
}

std::string ParseArguments(const Arguments& arguments, const std::vector<Option>& options,
                           std::vector<std::string>& positional) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            positional.insert(positional.end(), arguments.begin() + static_cast<long>(i) + 1,
                              arguments.end());
            return {};
        }
        if (argument.rfind("--", 0) != 0) {
            positional.push_back(argument);
            continue;
        }
        const auto option = std::find_if(options.begin(), options.end(),
                                         [&](const Option& o) { return o.name == argument; });
        if (option == options.end()) {
            return "unknown option " + argument;
        }
        if (option->flag != nullptr) {
            *option->flag = option->flagValue;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            return argument + " needs a value";
        }
        if (std::string problem = option->take(arguments[++i]); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

bool ParseOptions(const Arguments& arguments, ScanOptions& options) {
    std::vector<std::string> folders;
    const std::string problem = ParseArguments(arguments, {Flag("--json", options.json)}, folders);
    if (!problem.empty() || folders.size() != 1 || folders[0].empty()) {
        return false;
    }
    options.folder = folders[0];
    return true;
}

Option MusicBrainzServer(std::string& target) {
    return ServiceUrl("--musicbrainz-server", target);
}

void AddAcoustIdOptions(std::vector<Option>& known, AcoustIdOptions& options) {
    known.push_back(Valued("--acoustid-key", [&options](const std::string& value) {
        options.key = value;
        return !value.empty() && IsAcoustIdKeyText(value)
                   ? std::string()
                   : "\"" + value + "\" is not an AcoustID application key";
    }));
    known.push_back(ServiceUrl("--acoustid-server", options.server));
    known.push_back(Flag("--no-acoustid", options.off));
}

int ParseOptions(const Arguments& arguments, ApplyOptions& options) {
    options.caseMode = kCaseDoNothing;
    std::vector<std::string> folders;
    std::vector<Option> known{
        ServerAddress("--server", options.server),
        Valued("--format",
               [&](const std::string& value) {
                   options.format = value;
                   return value.empty() ? "the name format is empty" : "";
               }),
        Valued("--case",
               [&](const std::string& value) {
                   const std::optional<std::string> mode = CaseModeNamed(value);
                   options.caseMode = mode.value_or(options.caseMode);
                   return mode ? std::string() : CaseModeProblem(value);
               }),
        Valued("--choose",
               [&](const std::string& value) {
                   return ParseCount(value, options.choose)
                              ? ""
                              : "--choose needs a match number from 1 up";
               }),
        Flag("--no-directory", options.createDirectory, false),
        Flag("--no-playlist", options.createPlaylist, false),
        Flag("--keep", options.keep),
        Flag("--dry-run", options.dryRun),
        Valued("--dependencies",
               [&](const std::string& value) {
                   options.dependencies.all = value == "all";
                   return value == "all" || value == "checked"
                              ? ""
                              : "--dependencies takes \"all\" or \"checked\"";
               }),
        Flag("--no-dependencies", options.dependencies.move, false),
        ServiceUrl("--musicbrainz-server", options.musicbrainzServer),
        Flag("--no-musicbrainz", options.noMusicBrainz),
        ServiceUrl("--cover-art-server", options.coverArtServer),
        Valued("--cover-size",
               [&](const std::string& value) {
                   options.coverSize = value;
                   return IsCoverSizeText(value) ? std::string()
                                                 : "--cover-size takes 250, 500, 1200 or full";
               }),
        Flag("--no-cover-art", options.noCoverArt),
        Flag("--id3v24", options.id3v24),
        Flag("--search", options.search),
        Text("--pairing", options.pairing),
    };
    AddAcoustIdOptions(known, options.acoustid);
    const std::string problem = ParseArguments(arguments, known, folders);
    if (!problem.empty()) {
        return ApplyUsageError(problem);
    }
    if (folders.size() > 1 && !options.search) {
        return ApplyUsageError("only one folder, please");
    }
    if (folders.empty() || folders[0].empty()) {
        return ApplyUsageError("which folder?");
    }
    options.folder = folders[0];
    // After the folder, the words of --search.
    for (std::size_t i = 1; i < folders.size(); ++i) {
        options.searchWords += (i > 1 ? " " : "") + folders[i];
    }
    return 0;
}

std::string ParseOptions(const Arguments& arguments, bool allowJson, CddbOptions& options,
                         bool allowWeb) {
    std::vector<Option> known{
        ServerAddress("--server", options.server),
        ServerAddress("--proxy", options.proxy),
        Text("--proxy-user", options.proxyUser),
        Text("--proxy-password-file", options.proxyPasswordFile),
        Text("--email", options.email),
        Valued("--proto",
               [&](const std::string& value) {
                   if (value != "5" && value != "6") {
                       return "--proto takes 5 or 6";
                   }
                   options.protocolLevel = value[0] - '0';
                   return "";
               }),
    };
    if (allowJson) {
        known.push_back(Flag("--json", options.json));
        known.push_back(Flag("--musicbrainz", options.musicbrainz));
        known.push_back(MusicBrainzServer(options.musicbrainzServer));
        AddAcoustIdOptions(known, options.acoustid);
    }
    if (allowWeb) {
        known.push_back(ServerAddress("--web", options.web));
    }
    return ParseArguments(arguments, known, options.positional);
}

}  // namespace corvane::cli
