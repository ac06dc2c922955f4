#include "platform/ProcessList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace mvx;

namespace {

std::string ownCommandName()
{
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

} // namespace

TEST(ProcessListTest, TheRunningTestIsListed)
{
    const auto names = ProcessList::names();
    EXPECT_NE(std::find(names.begin(), names.end(), ownCommandName()), names.end());
}

TEST(ProcessListTest, ProgramsAreMatchedByFileNameWithoutRegardToCase)
{
    std::string upper = ownCommandName();
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    // The kernel keeps 15 bytes of the name: a longer path to the same program still matches.
    EXPECT_TRUE(ProcessList::isRunning("/opt/somewhere/" + upper + "-and-a-long-tail"));
    EXPECT_FALSE(ProcessList::isRunning("/usr/bin/no-such-program-here"));
    EXPECT_FALSE(ProcessList::isRunning(""));
}
