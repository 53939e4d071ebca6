#pragma once

#include <string>

namespace corvane {

// The disc number of a folder named as a disc: "CD1", "CD 2", "Disc_1",
// "disc-2", "Disk 3" (any case); 0 for any other name.
int DiscFolderNumber(const std::string& name);

// A name or album title without the disc marker it ends with: "Album
// (Disc 1)", "Album [CD2]", "Album - Disc 2", "Album CD1" give "Album".
// number becomes the disc's number, or 0 (and the text comes back as it is)
// when there is no marker.
std::string StripDiscMarker(const std::string& text, int& number);

}  // namespace corvane
