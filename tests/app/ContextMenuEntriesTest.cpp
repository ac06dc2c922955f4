#include "app/ContextMenuEntries.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mvx {
namespace {

namespace fs = std::filesystem;

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string quoted(const std::string& word) { return "'" + word + "'"; }

// The installed entries, run as the file managers run them with two files
// selected (one name with a space): each calls the program with its own
// switch and every file.
TEST(ContextMenuEntriesTest, EveryEntryHandsTheProgramItsSwitchAndAllTheSelectedFiles)
{
    test::TempFolder temp;
    const auto file = [&temp](const std::string& name) { return temp.slash() + name; };
    const std::string log = file("called.log");
    // The program stands in: one line per argument.
    const std::string program = file("program.sh");
    std::ofstream(program) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << log << "'\n";
    fs::permissions(program, fs::perms::owner_all);
    const ContextMenuEntries entries(file("data"), program);
    ASSERT_TRUE(entries.install());
    const std::string first = file("first.txt");
    const std::string second = file("second file.txt");
    const std::string expectedFiles = first + "\n" + second + "\n";

    struct Entry {
        const char* script;  // the Nautilus script's name
        const char* action;  // the Dolphin action's id
        const char* flag;
    };
    const Entry kEntries[] = {
        {"Encrypt", "MorvanexEncrypt", "-E"}, {"Decrypt", "MorvanexDecrypt", "-D"},
        {"Forward", "MorvanexForward", "-T"}, {"History", "MorvanexHistory", "-H"},
        {"Secure Deletion", "MorvanexDelete", "-K"},
    };
    const std::string menu = readText(file("data/kio/servicemenus/morvanex.desktop"));
    for (const Entry& entry : kEntries) {
        SCOPED_TRACE(entry.script);
        // Nautilus runs the script with the selected files as its arguments.
        fs::remove(log);
        const std::string script = file(std::string("data/nautilus/scripts/Morvanex/") + entry.script);
        ASSERT_EQ(std::system((quoted(script) + " " + quoted(first) + " " + quoted(second)).c_str()), 0);
        EXPECT_EQ(readText(log), std::string(entry.flag) + "\n" + expectedFiles);

        // Dolphin replaces %F of the action's Exec line with every selected file.
        const size_t section = menu.find(std::string("[Desktop Action ") + entry.action + "]");
        ASSERT_NE(section, std::string::npos);
        const size_t exec = menu.find("\nExec=", section) + 6;
        std::string command = menu.substr(exec, menu.find('\n', exec) - exec);
        const size_t files = command.find(" %F");
        ASSERT_NE(files, std::string::npos) << command;
        ASSERT_EQ(files + 3, command.size()) << command;
        command = command.substr(0, files) + " " + quoted(first) + " " + quoted(second);
        fs::remove(log);
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(readText(log), std::string(entry.flag) + "\n" + expectedFiles);
    }
}

} // namespace
} // namespace mvx
