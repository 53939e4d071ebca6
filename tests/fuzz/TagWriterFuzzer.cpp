// libFuzzer target: the tag writer on any file. What scans as audio keeps
// its frames, length and audio bytes through a tag write, or the write fails
// and leaves the file byte for byte as it was; no copy is ever left behind.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ByteSource.h"
#include "Id3TagWriter.h"
#include "MpegStreamScanner.h"
#include "PlayLength.h"

namespace {

std::string folder;

// Frame count, decoded length and bytes of the audio; empty when none is found.
std::string AudioOf(const std::string& data) {
    corvane::MemoryByteSource source(data.data(), data.size());
    corvane::MpegStreamInfo info;
    if (!corvane::ScanMpegStream(source, info)) {
        return {};
    }
    const std::int64_t samples = corvane::ComputePlayLength(info).samples;
    if (info.range.start > info.range.end || info.range.end > data.size() ||
        info.firstFrameOffset >= data.size() || info.audioBytes > data.size() || samples < 0) {
        __builtin_trap();  // the scan left the data
    }
    return std::to_string(info.audioFrames) + " " + std::to_string(samples) + " " +
           data.substr(info.firstFrameOffset, info.range.end - info.firstFrameOffset);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = "/tmp/corvane-tag-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    folder = pattern;
    std::atexit([] { std::filesystem::remove_all(folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte sets the title length, so that tags go in place and as copies.
    const std::string title(data[0] * 8u, 't');
    const std::string before(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string path = folder + "/f.mp3";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << before;
    const corvane::TagWriteResult result =
        corvane::WriteId3Tag(path, {title, "Artist", "Album", "1999", "c", "Track 3", "Rock"});
    std::ifstream in(path, std::ios::binary);
    const std::string after{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string audio = AudioOf(before);
    const bool kept = result.error != 0 ? after == before && !result.reason.empty()
                                        : !audio.empty() && AudioOf(after) == audio;
    if (!kept || std::distance(std::filesystem::directory_iterator(folder), {}) != 1) {
        __builtin_trap();
    }
    return 0;
}
