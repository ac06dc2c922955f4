#pragma once

#include "workbench/IBatchProgress.h"
#include "workbench/IDestinationDirectory.h"
#include "workbench/IEncryptChooser.h"
#include "workbench/IFileCrypto.h"
#include "workbench/IMailComposer.h"
#include "workbench/IUnknownSenderHandler.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace mvx::test {

// Per-file encryption and decryption that records every call and writes
// recognisable files: a container is a header line, the plain bytes and a
// tail line naming the recipients. Failures and exceptions are injected per path.
class RecordingFileCrypto : public IFileCrypto {
public:
    static constexpr const char* kHeader = "MVXFAKE\n";
    static constexpr const char* kTailMark = "\nTAIL:";

    struct Tail {
        std::string plainPath;
        std::string outputPath;
        int mode = 0;
        uint32_t optionWord = 0;
        TimeLimitSetting limit;
        std::vector<std::string> recipients;
    };

    // Injected failures (plain paths for encryption, container paths for decryption).
    std::set<std::string> failBody, failTail, failDecrypt, throwOnOpen;
    std::map<std::string, int> openResults;  // default 2 (sender identified)
    // Runs while a body is half written: what an interruption at that moment would leave.
    std::function<void()> midWrite;

    // Recorded.
    std::vector<std::string> recipients;
    uint32_t optionWord = 0;
    TimeLimitSetting limit;
    std::vector<HistoryName> historyNames;
    std::vector<std::pair<std::string, int>> bodies;  // plain path, key source
    std::vector<Tail> tails;
    std::vector<std::string> opened;
    int resets = 0;

    void setRecipients(std::vector<std::string> keyFiles) override { recipients = std::move(keyFiles); }
    void setOptionWord(uint32_t word) override { optionWord = word; }
    void setTimeLimit(TimeLimitSetting value) override { limit = value; }
    void setHistoryNames(std::vector<HistoryName> names) override { historyNames = std::move(names); }
    void resetContentKey() override { ++resets; }
    int encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource) override;
    int writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode) override;
    int openContainer(const std::string& containerPath, std::string& plainFileName) override;
    int decryptBody(const std::string& containerPath, const std::string& outputPath) override;
    std::string senderName() const override { return "Sender"; }
    std::string senderMail() const override { return "sender@example.org"; }

    // The container's plain bytes, or nullopt when it is not one of ours.
    static std::optional<std::string> plainOf(const std::string& containerPath);
};

class ScriptedChooser : public IEncryptChooser {
public:
    std::optional<EncryptChoices> choices;
    std::optional<EncryptOptionRules> optionsAnswer;  // nullopt: Cancel
    int calls = 0;
    std::string ownName;
    std::vector<std::string> files;

    std::optional<EncryptChoices> chooseDestinations(const std::string& name,
                                                     const std::vector<std::string>& given) override
    {
        ++calls;
        ownName = name;
        files = given;
        return choices;
    }
    std::optional<EncryptChoices> destinationListSelection() override
    {
        ++calls;
        return choices;
    }
    bool runEncryptOptions(EncryptOptionRules& dialog) override
    {
        ++calls;
        if (!optionsAnswer)
            return false;
        dialog = *optionsAnswer;
        return true;
    }
};

class MapDirectory : public IDestinationDirectory {
public:
    std::map<std::string, std::vector<std::string>> folders;
    std::map<std::string, Entry> entries;

    std::vector<std::string> keyFilesIn(const std::string& folder) override
    {
        const auto it = folders.find(folder);
        return it == folders.end() ? std::vector<std::string>{} : it->second;
    }
    std::optional<Entry> lookup(const std::string& keyFile) override
    {
        const auto it = entries.find(keyFile);
        if (it == entries.end())
            return std::nullopt;
        return it->second;
    }
};

class RecordingMailer : public IMailComposer {
public:
    std::vector<MailMessage> mails;
    bool compose(const MailMessage& mail) override
    {
        mails.push_back(mail);
        return true;
    }
};

class RecordingProgress : public IBatchProgress {
public:
    std::vector<std::string> lines;
    std::vector<std::string> waits;
    int range = -1, steps = 0, resets = 0, closes = 0;

    void setRange(int count) override { range = count; }
    void step() override { ++steps; }
    void reset() override { ++resets; }
    void openWait(const std::string& text) override { waits.push_back(text); }
    void progressText(const std::string& text) override { lines.push_back(text); }
    void closeWait() override { ++closes; }
};

class RecordingUnknownSender : public IUnknownSenderHandler {
public:
    std::vector<Decrypted> calls;
    void onUnknownSender(const Decrypted& decrypted) override { calls.push_back(decrypted); }
};

} // namespace mvx::test
