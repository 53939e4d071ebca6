#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Fixtures of the mp3info tests beyond those of test_support.
namespace corvane::test {

// A stream of `frames` frames that all carry `header` (4 bytes, no padding
// bit) and silence; for layers and versions lame does not write.
std::string SyntheticStream(std::uint32_t header, int frames);

// Size in bytes of one frame with that header, or 0 when it is not valid.
int SyntheticFrameBytes(std::uint32_t header);

// An ID3v2 tag of the given major version around `body` (synchsafe size);
// with `footer` it ends in a "3DI" footer.
std::string Id3v2Block(int major, const std::string& body, bool footer = false);

// A Python interpreter that has mutagen, or empty when there is none.
std::string MutagenPython();

// Runs a Python script (with mutagen) with arguments; 0 on success.
int RunPython(const std::string& script, const std::vector<std::string>& args,
              std::string* out = nullptr);

}  // namespace corvane::test
