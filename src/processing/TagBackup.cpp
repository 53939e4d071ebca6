#include "processing/TagBackup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace corvane {

namespace {

constexpr std::size_t kTailBytes = 8192;
constexpr std::size_t kId3v1Bytes = 128;

// The size of the ID3v2 tag at the start, header and footer included, as its
// own header (the first 10 bytes) claims it; 0 when there is none.
std::size_t ClaimedTagSize(std::string_view header) {
    if (header.size() < 10 || header.compare(0, 3, "ID3") != 0) {
        return 0;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(header.data());
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        size = (size << 7) | (p[i] & 0x7F);
    }
    const bool footer = p[3] >= 4 && (p[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

// The same, cut to the file.
std::size_t LeadingTagSize(std::string_view content) {
    return std::min(ClaimedTagSize(content.substr(0, 10)), content.size());
}

struct BackupHeader {
    std::size_t oldSize = 0;
    std::size_t headBytes = 0;
    std::size_t tailBytes = 0;
    std::uint64_t audioHash = 0;
    std::size_t textBytes = 0;  // of the header line
};

bool ReadHeader(std::string_view backup, BackupHeader& header) {
    const auto end = backup.find('\n');
    if (end == std::string_view::npos || end > 200) {
        return false;
    }
    const std::string line(backup.substr(0, end));
    unsigned long long oldSize = 0, head = 0, tail = 0;
    std::uint64_t hash = 0;
    if (std::sscanf(line.c_str(), "corvane-tag 1 %llu %llu %llu %" SCNx64, &oldSize, &head, &tail,
                    &hash) != 4 ||
        head + tail > oldSize || end + 1 + head + tail != backup.size()) {
        return false;
    }
    header = {static_cast<std::size_t>(oldSize), static_cast<std::size_t>(head),
              static_cast<std::size_t>(tail), hash, end + 1};
    return true;
}

// The parts TagDigest hashes: the leading tag, the tail, and the size.
std::string DigestInput(std::string_view head, std::string_view tail, std::size_t size) {
    return std::string(head) + std::string(tail) + std::to_string(size);
}

bool ReadAt(int fd, std::size_t offset, std::size_t count, std::string& out) {
    out.resize(count);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n =
            ::pread(fd, out.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string TagDigest(std::string_view content) {
    const std::size_t head = LeadingTagSize(content);
    const std::size_t tail = std::min(content.size() - head, kTailBytes);
    return HashText(ContentHash(DigestInput(
        content.substr(0, head), content.substr(content.size() - tail), content.size())));
}

std::string TagDigestOfFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return {};
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    std::string header;
    std::string head;
    std::string tail;
    bool ok = ReadAt(fd, 0, std::min<std::size_t>(size, 10), header);
    ok = ok && ReadAt(fd, 0, std::min(ClaimedTagSize(header), size), head);
    const std::size_t tailBytes = std::min(size - head.size(), kTailBytes);
    ok = ok && ReadAt(fd, size - tailBytes, tailBytes, tail);
    ::close(fd);
    return ok ? HashText(ContentHash(DigestInput(head, tail, size))) : std::string();
}

std::uint64_t ContentHash(std::string_view data) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : data) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return hash;
}

std::string HashText(std::uint64_t hash) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

std::string MakeTagBackup(std::string_view oldContent) {
    const std::size_t head = LeadingTagSize(oldContent);
    const std::size_t rest = oldContent.size() - head;
    const std::size_t tail = rest < kTailBytes ? rest : kTailBytes;
    const std::string_view audio = oldContent.substr(head, rest - tail);
    return "corvane-tag 1 " + std::to_string(oldContent.size()) + " " + std::to_string(head) + " " +
           std::to_string(tail) + " " + HashText(ContentHash(audio)) + "\n" +
           std::string(oldContent.substr(0, head)) +
           std::string(oldContent.substr(oldContent.size() - tail));
}

bool RestoreFromTagBackup(std::string_view backup, std::string_view tagged, std::string& restored) {
    BackupHeader header;
    if (!ReadHeader(backup, header)) {
        return false;
    }
    const std::string_view head = backup.substr(header.textBytes, header.headBytes);
    const std::string_view tail = backup.substr(header.textBytes + header.headBytes);
    const std::size_t audioBytes = header.oldSize - header.headBytes - header.tailBytes;
    // The writer may have added or dropped an ID3v1 tag at the end.
    const std::size_t t = header.tailBytes;
    for (const std::size_t tailNow : {t, t + kId3v1Bytes, t >= kId3v1Bytes ? t - kId3v1Bytes : t}) {
        if (tagged.size() < tailNow + audioBytes) {
            continue;
        }
        const std::string_view audio =
            tagged.substr(tagged.size() - tailNow - audioBytes, audioBytes);
        if (audioBytes == 0 || ContentHash(audio) == header.audioHash) {
            restored.assign(head);
            restored.append(audio);
            restored.append(tail);
            return true;
        }
    }
    if (audioBytes == 0) {
        // The backup holds the whole old file.
        restored.assign(head);
        restored.append(tail);
        return true;
    }
    return false;
}

}  // namespace corvane
