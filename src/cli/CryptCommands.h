#pragma once

#include "cli/CliContext.h"

namespace mvx::cli {

int runEncrypt(CliContext& context, const CommandArgs& args);
int runDecrypt(CliContext& context, const CommandArgs& args);
int runShred(CliContext& context, const CommandArgs& args);

extern const char* const kEncryptUsage;
extern const char* const kDecryptUsage;
extern const char* const kShredUsage;

} // namespace mvx::cli
