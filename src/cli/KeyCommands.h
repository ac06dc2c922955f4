#pragma once

#include "cli/CliContext.h"

namespace mvx::cli {

int runInit(CliContext& context, const CommandArgs& args);
int runWhoami(CliContext& context, const CommandArgs& args);
int runAuth(CliContext& context, const CommandArgs& args);
int runKeys(CliContext& context, const CommandArgs& args);

extern const char* const kInitUsage;
extern const char* const kWhoamiUsage;
extern const char* const kAuthUsage;
extern const char* const kKeysUsage;

} // namespace mvx::cli
