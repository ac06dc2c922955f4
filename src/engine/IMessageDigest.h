#pragma once

#include <cstdint>
#include <string>

namespace mvx {

// A message digest fed in pieces: initialise, add data any number of times,
// then take the final digest.
class IMessageDigest {
public:
    virtual ~IMessageDigest() = default;
    virtual void initialise() = 0;
    // false (with lastError()) when length is negative.
    virtual bool addData(const void* data, long long length) = 0;
    // Writes digestSize() bytes; false (with lastError()) when no data was added.
    virtual bool finalDigest(uint8_t* digest) = 0;
    virtual int digestSize() const = 0;
    virtual const std::string& lastError() const = 0;
};

} // namespace mvx
