#pragma once

#include <cstdint>
#include <vector>

namespace mvx {

// The maker's public key file image (4-byte length and blob), compiled into
// the program. Written out at the first start and used for containers
// addressed to the maker.
const std::vector<uint8_t>& makerPublicKeyFile();

} // namespace mvx
