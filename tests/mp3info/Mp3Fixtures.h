#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MpegFrameHeader.h"
#include "MpegStreamScanner.h"

// Fixtures of the mp3info tests beyond those of test_support.
namespace corvane::test {

// Parses a frame header given as one big-endian word.
bool ParseHeaderWord(std::uint32_t header, MpegFrameHeader& out);

// Scans bytes held in memory; *ok (when given) tells whether a stream was found.
MpegStreamInfo ScanBytes(const std::string& data, bool* ok = nullptr);

// A stream of `frames` frames that all carry `header` (4 bytes, no padding
// bit) and silence; for layers and versions lame does not write.
std::string SyntheticStream(std::uint32_t header, int frames);

// An ID3v2 header whose size field says `size` (synchsafe).
std::string Id3v2Header(int major, std::size_t size, bool footer = false);

// An ID3v2 tag of the given major version around `body`; with `footer` it
// ends in a "3DI" footer.
std::string Id3v2Block(int major, const std::string& body, bool footer = false);

// The bytes that the ID3v2 header at the start of data claims, 0 without one.
std::size_t LeadingTagSize(const std::string& data);

// A Python interpreter that has mutagen, or empty when there is none.
std::string MutagenPython();

// Runs a Python script (with mutagen) with arguments; 0 on success.
int RunPython(const std::string& script, const std::vector<std::string>& args,
              std::string* out = nullptr);

}  // namespace corvane::test
