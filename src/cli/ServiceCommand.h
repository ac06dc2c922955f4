#pragma once

#include "cli/CliContext.h"

namespace mvx::cli {

inline constexpr const char* kServiceUsage =
    "usage: morvanex-cli service ACTION [OPTIONS]\n"
    "\n"
    "Actions:\n"
    "  connect                                   is the web service reachable (ConnectCheck)\n"
    "  login                                     check the account (Login)\n"
    "  register --key PUBLIC-KEY                 register the own public key (RegisterKey)\n"
    "  status --key PUBLIC-KEY                   registration status of the own key (GetKeyStatus)\n"
    "  getkey ADDRESS --out FILE                 fetch a partner's public key into a key file\n"
    "  serverkey --out FILE                      fetch the key generated on the service (GetServerKey)\n"
    "  upload FILE... [--subject S] [--message M] [--tag T]...   upload to the own folder\n"
    "  easysend FILE... --to ADDR... [--subject S] [--message M] send through the service\n"
    "  transfer FILE... --to ADDR... [--subject S] [--message M] encrypt for the partners and send\n"
    "\n"
    "Options:\n"
    "  --mail ADDR            the account's mail address (default: the own mail)\n"
    "  --key PUBLIC-KEY       the own public key file (default: the own key set's)\n"
    "  --password-file FILE   read the password from the first line of FILE\n"
    "The password is taken from MORVANEX_SERVICE_PASSWORD, --password-file or a prompt,\n"
    "never from the command line. The service address is MORVANEX_SERVICE_URL or the\n"
    "setting \"ServiceURL\"; MORVANEX_CA_FILE names an extra CA certificate file.\n";

int runServiceCommand(CliContext& ctx, const CommandArgs& args);

} // namespace mvx::cli
