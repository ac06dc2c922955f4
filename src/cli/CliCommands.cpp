#include "cli/CliContext.h"
#include "cli/ContainerCommands.h"
#include "cli/CryptCommands.h"
#include "cli/KeyCommands.h"
#include "cli/QrCommand.h"
#include "cli/ServiceCommand.h"

namespace mvx::cli {

const std::vector<CliCommand>& cliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"init", "make a key set (key files, settings, key folder, self-authentication key)", kInitUsage, runInit},
        {"whoami", "show the own key set, user name, mail and key fingerprint", kWhoamiUsage, runWhoami},
        {"auth", "authenticate a partner's (or one's own) public key", kAuthUsage, runAuth},
        {"encrypt", "encrypt files for destinations (batch encryption)", kEncryptUsage, runEncrypt},
        {"decrypt", "decrypt containers (batch decryption)", kDecryptUsage, runDecrypt},
        {"shred", "destroy files by secure deletion", kShredUsage, runShred},
        {"keys", "the destination list: list, add, modify, delete, move, mkdir, rmdir, outdated, stray", kKeysUsage,
         runKeys},
        {"history", "the history a container carries", kHistoryUsage, runHistory},
        {"forward", "forward a container by mail to addresses recorded in its history", kForwardUsage, runForward},
        {"open", "open a container in place with the program of its file type", kOpenUsage, runOpen},
        {"qr", kQrSummary, kQrUsage, runQrCommand},
        {"service", "web service requests: connect, login, register, status, getkey, serverkey, upload, easysend, "
                    "transfer",
         kServiceUsage, runServiceCommand},
    };
    return commands;
}

} // namespace mvx::cli
