#pragma once

namespace mvx {

class AppSession;

// The own key pair chosen by the user instead of the one the settings name:
// by hand (private key file, then public key file), or, when the pair the
// settings name is no longer there, by pointing at the folder it was moved
// to. Either way the settings name the pair afterwards and are saved.
class KeyPairChoice {
public:
    explicit KeyPairChoice(AppSession& session) : session_(session) {}

    // True when a valid pair was chosen and is now the own key set.
    bool chooseByHand();
    // The settings name a key pair whose files are missing.
    bool keyPairMoved() const;
    // Asks whether to look for the moved pair and lets the user pick its
    // folder until the pair is found there or the user gives up. True when
    // the session now uses the pair from its new folder.
    bool locateMovedKeyPair();

private:
    void rememberOwnKeySet();

    AppSession& session_;
};

} // namespace mvx
