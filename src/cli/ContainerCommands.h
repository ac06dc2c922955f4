#pragma once

#include "cli/CliContext.h"

namespace mvx::cli {

int runHistory(CliContext& context, const CommandArgs& args);
int runForward(CliContext& context, const CommandArgs& args);
int runOpen(CliContext& context, const CommandArgs& args);

extern const char* const kHistoryUsage;
extern const char* const kForwardUsage;
extern const char* const kOpenUsage;

} // namespace mvx::cli
