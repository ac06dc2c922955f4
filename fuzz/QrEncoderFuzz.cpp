// The QR encoder on any text, level, version and mask.
#include "FuzzSupport.h"

#include "barcode/CQREncoder.h"

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;  // a length of 0 means a zero-terminated text
    CQREncoder encoder;
    encoder.encode(data[0] % 4, data[1] % 41, (data[1] & 0x80) != 0, static_cast<int>(data[2] % 9) - 1,
                   reinterpret_cast<const char*>(data + 3), static_cast<int>(size - 3));
    return 0;
}
