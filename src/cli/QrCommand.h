#pragma once

#include "cli/CliContext.h"

namespace mvx::cli {

extern const char* const kQrSummary;
extern const char* const kQrUsage;

// "qr": the own registration symbol, or any text with --text.
int runQrCommand(CliContext& ctx, const CommandArgs& args);

} // namespace mvx::cli
