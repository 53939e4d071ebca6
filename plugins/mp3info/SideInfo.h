#pragma once

#include <cstddef>
#include <cstdint>

#include "MpegFrameHeader.h"

namespace corvane {

// Which granules of a Layer III frame carry no coded audio (part2_3_length
// 0 in every channel): a silent stretch of 576 samples. `frame` holds at
// least the header and the side information. Returns the number of granules
// (2 for MPEG 1, 1 for MPEG 2 and 2.5), 0 when the frame is too short or not
// Layer III.
int SilentGranules(const std::uint8_t* frame, std::size_t size, const MpegFrameHeader& header,
                   bool silent[2]);

// Bytes from the frame start to the end of the side information.
std::size_t SideInfoEnd(const MpegFrameHeader& header);

}  // namespace corvane
