#include "support/FakeMp3Info.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "support/TestSupport.h"

namespace corvane::test {

namespace {

constexpr const char* kTagMark = "\nTAG\x1f";
constexpr char kSeparator = '\x1e';

}  // namespace

int FakeMp3Info::Open(const std::string& path) {
    opened.push_back(path);
    openPath_.clear();
    std::string content;
    if (!ReadFileBytes(path, content)) {
        return ENOENT;
    }
    if (content.compare(0, 3, "MP3") != 0) {
        return EILSEQ;  // as the real component says "no MPEG audio"
    }
    const auto found = files.find(path.substr(path.rfind('/') + 1));
    current_ = found != files.end() ? found->second : FakeFile{};
    openPath_ = path;
    return 0;
}

int FakeMp3Info::WriteTag(const std::string& title, const std::string& artist,
                          const std::string& album, const std::string& year,
                          const std::string& comment, const std::string& track,
                          const std::string& genre) {
    if (openPath_.empty()) {
        return EBADF;
    }
    const FakeTag tag{title, artist, album, year, comment, track, genre};
    std::string text = kTagMark;
    for (const std::string* field : {&title, &artist, &album, &year, &comment, &track, &genre}) {
        text += *field + kSeparator;
    }
    const int fd = ::open(openPath_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const ssize_t put = ::write(fd, text.data(), text.size());
    const int error = put == static_cast<ssize_t>(text.size()) ? 0 : (put < 0 ? errno : ENOSPC);
    ::close(fd);
    if (error == 0) {
        written.emplace_back(openPath_, tag);
    }
    return error;
}

bool ReadFakeTag(const std::string& path, FakeTag& tag) {
    std::string content;
    const auto at = ReadFileBytes(path, content) ? content.rfind(kTagMark) : std::string::npos;
    if (at == std::string::npos) {
        return false;
    }
    std::vector<std::string> fields(1);
    for (auto i = at + std::string(kTagMark).size(); i < content.size(); ++i) {
        if (content[i] == kSeparator) {
            fields.emplace_back();
        } else {
            fields.back() += content[i];
        }
    }
    if (fields.size() != 8) {
        return false;
    }
    tag = FakeTag{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
    return true;
}

std::string FakeMp3Content(const std::string& marker) {
    return "MP3:" + marker;
}

std::string FakeMp3Marker(const std::string& path) {
    std::string content;
    if (!ReadFileBytes(path, content) || content.compare(0, 4, "MP3:") != 0) {
        return {};
    }
    const std::size_t end = content.find('\n');
    return content.substr(4, end == std::string::npos ? end : end - 4);
}

}  // namespace corvane::test
