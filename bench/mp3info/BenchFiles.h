#pragma once

#include <string>

// Helpers the mp3info benchmarks share.
namespace corvane::bench {

// Seconds of a steady clock.
double Now();

// The same stream without its first frame when that frame is a Xing/Info
// frame: what `lame -t` writes for the same input. False when there is none.
bool StripInfoFrame(const std::string& path, const std::string& out);

// Peak resident set of this process in MB.
double PeakRssMb();

}  // namespace corvane::bench
