// Finding the program that opens a file: the in-process lookup for 1,000
// files of one type (the first, then the mean of the rest) beside the two
// xdg-mime children the lookup replaced, for one file.
#include "platform/AppLauncher.h"
#include "platform/FileIo.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

using namespace mvx;

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = std::string(argc > 1 ? argv[1] : "/tmp") + "/launcher-bench";
    ::mkdir(folder.c_str(), 0700);
    const int count = 1000;
    for (int i = 0; i < count; ++i) {
        const std::string text = "plain text number " + std::to_string(i) + "\n";
        writeWholeFile(folder + "/f" + std::to_string(i) + ".txt", text.data(), text.size());
    }
    DesktopLauncher launcher;
    double t0 = now();
    const auto program = launcher.programFor(folder + "/f0.txt");
    const double first = now() - t0;
    t0 = now();
    for (int i = 1; i < count; ++i)
        launcher.programFor(folder + "/f" + std::to_string(i) + ".txt");
    const double rest = (now() - t0) / (count - 1);

    t0 = now();
    const auto type = DesktopLauncher::outputOf({"xdg-mime", "query", "filetype", folder + "/f0.txt"});
    if (type)
        DesktopLauncher::outputOf({"xdg-mime", "query", "default", *type});
    const double xdgMime = now() - t0;
    std::printf("program for a file: first %.2f ms, then %.3f ms per file (%s); two xdg-mime children for one "
                "file: %.1f ms (%s); ratio %.0f\n",
                first * 1e3, rest * 1e3, program ? program->command.front().c_str() : "no program",
                xdgMime * 1e3, type ? type->c_str() : "xdg-mime failed", xdgMime / rest);
    std::system(("rm -rf " + folder).c_str());
    return 0;
}
