#pragma once

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "workbench/BatchContext.h"
#include "workbench/StudioList.h"
#include "workbench/WorkList.h"

#include "ScriptedInteraction.h"
#include "TempFolder.h"
#include "WorkbenchDoubles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mvx::test {

using Kind = ScriptedInteraction::Kind;

// A temporary folder with an own key set, the English message table, the
// scripted interaction and the recording doubles wired into one batch context.
class WorkbenchTest : public ::testing::Test {
protected:
    WorkbenchTest()
    {
        table.FillEnglish();
        std::filesystem::create_directories(temp.file("keys/KeyList_me"));
        context.keys.publicKeyFile = write("keys/me.kpub", "public");
        context.keys.privateKeyFile = write("keys/mePrivate.kpri", "private");
        context.keys.selfAuthKeyFile = write("keys/KeyList_me/me))me-auth.kpub", "self");
        context.keys.keyFolder = temp.file("keys/KeyList_me/");
        context.keys.userName = "Me";
        context.keys.mail = "me@example.org";
        partnerKey = write("keys/KeyList_me/me))pat-auth.kpub", "partner");
        plainKey = write("keys/KeyList_me/pat.kpub", "plain");
        directory.entries[context.keys.selfAuthKeyFile] = {"Me", "me@example.org"};
        directory.entries[partnerKey] = {"Pat", "pat@example.org"};
        directory.entries[plainKey] = {"Pat", "pat@example.org"};
        context.crypto = &crypto;
        context.chooser = &chooser;
        context.directory = &directory;
        context.mailer = &mailer;
        context.progress = &progress;
        context.unknownSender = &unknownSender;
        context.secureDelete = [this](const std::string& path) {
            shredded.push_back(path);
            if (isReadOnly(path))
                return 0;
            return ::unlink(path.c_str()) == 0 ? 1 : 0;
        };
        context.isOnCdRom = [this](const std::string& path) { return cdRom.count(path) > 0; };
    }

    std::string write(const std::string& name, const std::string& content)
    {
        const std::string path = temp.file(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        return path;
    }
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }
    static void makeReadOnly(const std::string& path) { ::chmod(path.c_str(), 0444); }
    static bool isReadOnly(const std::string& path)
    {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
    }
    // A container the recording double can open.
    std::string writeContainer(const std::string& name, const std::string& plain)
    {
        return write(name, std::string(RecordingFileCrypto::kHeader) + plain + RecordingFileCrypto::kTailMark);
    }
    std::vector<std::string> messages() const { return ui.textsOf(Kind::Message); }
    std::vector<std::string> statuses() const { return ui.textsOf(Kind::Status); }
    std::vector<std::string> files(std::vector<std::string> names) const
    {
        for (std::string& name : names)
            name = temp.file(name);
        return names;
    }
    std::string text(int slot) const { return table.text(slot); }

    TempFolder temp;
    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger{table, ui};
    StudioList studio;
    WorkList work;
    RecordingFileCrypto crypto;
    ScriptedChooser chooser;
    MapDirectory directory;
    RecordingMailer mailer;
    RecordingProgress progress;
    RecordingUnknownSender unknownSender;
    std::set<std::string> cdRom;
    std::vector<std::string> shredded;
    std::string partnerKey;
    std::string plainKey;
    BatchContext context{messenger, studio, work};
};

} // namespace mvx::test
