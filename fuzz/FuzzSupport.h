#pragma once

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/IInteraction.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Helpers of the fuzz targets: a messenger that answers No and shows nothing,
// a private scratch folder for readers that take a path, the test vectors,
// and a real container patched by the fuzzer's bytes.
namespace mvx::fuzz {

class QuietInteraction : public IInteraction {
public:
    void showMessage(const std::string&, MsgIcon, const std::string&) override {}
    bool askYesNo(const std::string&, MsgIcon, const std::string&) override { return false; }
    bool askOkCancel(const std::string&, MsgIcon, const std::string&) override { return false; }
    int continueConfirm(const std::string&, const std::string&, const std::array<std::string, 4>&) override
    {
        return 3;
    }
    bool noticeWithSilence(const std::string&, const std::string&, const std::string&) override { return false; }
    std::vector<std::string> chooseFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseSavePath(const std::string&, const std::string&) override { return {}; }
    void status(const std::string&) override {}
};

// One message table and quiet messenger for the whole run.
CMessenger& quietMessenger();

// A folder of this process in $TMPDIR or /tmp (made on first use, removed at exit), with "/".
const std::string& scratchFolder();
// Writes the bytes to scratchFolder() + name and returns the path.
std::string writeScratch(const std::string& name, const uint8_t* data, size_t size);

// A file of tests/vectors/containers (read once per name).
const std::vector<uint8_t>& vector(const std::string& name);
std::string vectorPath(const std::string& name);

// base with the fuzzer's changes: the first byte drops that many bytes from
// the front, then every three bytes XOR the byte at (two bytes, little
// endian) counted back from the end with the third.
std::vector<uint8_t> patched(const std::vector<uint8_t>& base, const uint8_t* data, size_t size);

} // namespace mvx::fuzz
