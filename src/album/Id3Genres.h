#pragma once

#include <string>
#include <string_view>

namespace corvane {

// The genre as the ID3 genre list spells it ("hip hop" gives "Hip-Hop",
// "drum and bass" gives "Drum & Bass"), so that the tag writer finds its
// ID3v1 number; empty when the list does not hold it. Case, blanks,
// hyphens and "&" against "and" do not count.
std::string Id3GenreSpelling(std::string_view genre);

}  // namespace corvane
