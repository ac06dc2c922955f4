#pragma once

#include <string>

namespace mvx {

// The program folder: where "Values.dat" and the maker's key live. It is
// $MORVANEX_HOME when set, else $XDG_CONFIG_HOME/morvanex/, else
// ~/.config/morvanex/; always with a trailing "/".
std::string programFolder();

// Creates the program folder (and its parents) when missing, owner-only;
// false when it cannot be made.
bool ensureProgramFolder(const std::string& folder);

} // namespace mvx
