#include "Mp3Fixtures.h"

#include "ByteSource.h"
#include "support/TestSupport.h"

namespace corvane::test {

bool ParseHeaderWord(std::uint32_t header, MpegFrameHeader& out) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(header >> 24), static_cast<std::uint8_t>(header >> 16),
        static_cast<std::uint8_t>(header >> 8), static_cast<std::uint8_t>(header)};
    return ParseMpegFrameHeader(bytes, out);
}

MpegStreamInfo ScanBytes(const std::string& data, bool* ok) {
    MemoryByteSource source(data.data(), data.size());
    MpegStreamInfo info;
    const bool found = ScanMpegStream(source, info);
    if (ok != nullptr) {
        *ok = found;
    }
    return info;
}

std::string SyntheticStream(std::uint32_t header, int frames) {
    MpegFrameHeader h;
    std::string frame(ParseHeaderWord(header, h) ? static_cast<std::size_t>(h.frameBytes) : 4,
                      '\0');
    for (int i = 0; i < 4; ++i) {
        frame[i] = static_cast<char>((header >> (24 - 8 * i)) & 0xFF);
    }
    std::string out;
    while (frames-- > 0) {
        out += frame;
    }
    return out;
}

std::string Id3v2Header(int major, std::size_t size, bool footer) {
    std::string head = {'I', 'D', '3', static_cast<char>(major), '\0', footer ? '\x10' : '\0'};
    for (int shift = 21; shift >= 0; shift -= 7) {
        head.push_back(static_cast<char>((size >> shift) & 0x7F));
    }
    return head;
}

std::string Id3v2Block(int major, const std::string& body, bool footer) {
    const std::string head = Id3v2Header(major, body.size(), footer);
    return head + body + (footer ? "3DI" + head.substr(3) : std::string());
}

std::size_t LeadingTagSize(const std::string& data) {
    if (data.size() < 10 || data.compare(0, 3, "ID3") != 0) {
        return 0;
    }
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        size = (size << 7) | (static_cast<unsigned char>(data[i]) & 0x7F);
    }
    return 10 + size;
}

std::string MutagenPython() {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        if (RunProcess({candidate, "-c", "import mutagen"}) == 0) {
            return candidate;
        }
    }
    return {};
}

int RunPython(const std::string& script, const std::vector<std::string>& args, std::string* out) {
    std::vector<std::string> argv = {MutagenPython(), "-c", script};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, out);
}

}  // namespace corvane::test
