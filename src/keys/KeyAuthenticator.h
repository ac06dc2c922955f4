#pragma once

#include "app/CMessenger.h"
#include "keys/AuthExpiryRules.h"
#include "keys/CAuthManager.h"
#include "platform/SystemTime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Authentication of a partner's (or one's own) public key: an authenticated
// key file that carries the own public key and, readable only with the
// partner's private key, the own identity hash, name, mail address, the time
// and an optional expiry. Records each key made in the authentication history.
class KeyAuthenticator {
public:
    // Who authenticates.
    struct Identity {
        std::string ownPublicKeyPath;
        std::string ownPrivateKeyPath;
        std::string userName;
        std::string mail;
        std::string keyFolder;  // holds "authhistory.dat" and the registered keys
        std::string installationTag;
    };

    // The dialogs around the command. chooseKey is the key-selection dialog
    // (nullopt for Cancel); askExpiry runs the expiry dialog on its kept state
    // (false for Cancel); complete shows the completion dialog with its three
    // lines and the keys made in this run, and returns whether to go on with
    // other keys.
    struct Dialogs {
        std::function<std::optional<std::string>(const CAuthManager& history)> chooseKey;
        std::function<bool(AuthExpiryRules& limits)> askExpiry;
        std::function<bool(const std::vector<std::string>& lines, const std::vector<std::string>& madeThisRun)> complete;
    };

    KeyAuthenticator(CMessenger& messenger, Identity identity, Dialogs dialogs);

    // The command: the keys handed in (or chosen in the dialog when none are),
    // each taken through the history question, the expiry, the target's
    // overwrite question and the making of the file. Returns the path of the
    // last authenticated key made, or empty.
    std::string authenticate(const std::vector<std::string>& publicKeyFiles, bool skipExpiryQuestion, bool quiet);
    // One authenticated key for the public key at partnerPath. Path or empty.
    // An existing target is replaced only after the question was answered Yes
    // (or, with overwriteConfirmed, was answered before), and only once the new
    // file has been written completely.
    std::string makeAuthenticatedKey(const std::string& partnerPath, const SystemTime& expiry, bool quiet,
                                     bool overwriteConfirmed = false);

    // partner folder + P + "))" + A + "-auth.kpub"; for a selected X))Y-auth.kpub, Y))X-auth.kpub.
    static std::string targetPathFor(const std::string& selectedPath, const std::string& ownPublicKeyPath);

    // "&Send E-Mail" of the completion dialog: one mail per key made in this
    // run, with that key attached.
    struct Mail {
        std::string attachment;
        std::string subject;
        std::string body;
    };
    std::vector<Mail> mailsForRun() const;

    AuthExpiryRules& limits() { return limits_; }
    const CAuthManager& history() const { return history_; }
    const std::vector<std::string>& madeThisRun() const { return madeThisRun_; }

private:
    std::string authenticateOne(const std::string& selected, bool skipExpiryQuestion, bool quiet, bool& goOn);
    void renewOwnKeyCopies(const std::string& made);
    std::vector<std::string> completionLines(const std::string& partnerPath, const std::string& target) const;
    std::string historyPath() const;

    CMessenger& messenger_;
    Identity identity_;
    Dialogs dialogs_;
    AuthExpiryRules limits_;
    CAuthManager history_;
    std::vector<std::string> madeThisRun_;
    bool continueWithOthers_ = false;
};

} // namespace mvx
