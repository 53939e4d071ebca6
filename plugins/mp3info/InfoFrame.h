#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "MpegFrameHeader.h"

namespace corvane {

// What the first frame of a stream says about the whole stream when it is a
// Xing/Info or VBRI frame (such a frame carries no audio).
struct InfoFrame {
    enum class Kind { Xing, Info, Vbri };
    Kind kind = Kind::Xing;
    bool hasFrames = false;
    std::uint32_t frames = 0;  // audio frames, the info frame not counted
    bool hasBytes = false;
    std::uint32_t bytes = 0;  // stream bytes as the encoder wrote them
    // Encoder delay and end padding in samples, from a LAME-style extension.
    bool hasGapless = false;
    int encoderDelay = 0;
    int endPadding = 0;
    int vbrMethod = 0;    // LAME: 1 CBR, 2 ABR, 3..6 VBR, 8 CBR 2 pass, 9 ABR 2 pass
    std::string encoder;  // e.g. "LAME3.100", empty when there is none
};

// Looks for a Xing/Info or VBRI header inside the frame data (the whole
// frame, header included, `size` bytes). False when the frame is audio.
bool ParseInfoFrame(const std::uint8_t* frame, std::size_t size, const MpegFrameHeader& header,
                    InfoFrame& out);

}  // namespace corvane
