// Encodings per second of our QR encoder beside libqrencode, same text, same
// level, same process. Prints figures; asserts nothing.
#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "barcode/CQREncoder.h"
#include "barcode/RegistrationContent.h"

#include <qrencode.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Runs the call repeatedly for about the given time; encodings per second.
template <typename F>
double perSecond(F&& encodeOnce, double seconds)
{
    long count = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 10; ++i)
            if (!encodeOnce()) {
                std::fprintf(stderr, "encoding failed\n");
                return 0;
            }
        count += 10;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return count / elapsed;
}

void compare(const char* title, const std::string& text, int ourVersion, QRencodeMode hint, int theirVersion,
             double seconds)
{
    auto encoder = std::make_unique<mvx::CQREncoder>();
    if (!encoder->encode(mvx::CQREncoder::LevelM, ourVersion, true, -1, text.data(), static_cast<int>(text.size()))) {
        std::printf("%s: our encoder failed\n", title);
        return;
    }
    const int version = encoder->version();
    const double ours = perSecond(
        [&] {
            return encoder->encode(mvx::CQREncoder::LevelM, ourVersion, true, -1, text.data(),
                                   static_cast<int>(text.size()));
        },
        seconds);
    int theirs_version = 0;
    const double theirs = perSecond(
        [&] {
            QRcode* code = QRcode_encodeString(text.c_str(), theirVersion, QR_ECLEVEL_M, hint, 1);
            if (!code)
                return false;
            theirs_version = code->version;
            QRcode_free(code);
            return true;
        },
        seconds);
    std::printf("%-28s %5zu bytes  ours: version %2d %9.0f/s   libqrencode: version %2d %9.0f/s   ratio %.2f\n",
                title, text.size(), version, ours, theirs_version, theirs, theirs > 0 ? ours / theirs : 0.0);
}

std::string readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main()
{
    const double seconds = 1.0;
    const std::string key = readFile(MORVANEX_TEST_DATA_DIR "/containers/sender.kpub");
    const mvx::CMessageTable table;
    mvx::RegistrationInputs inputs;
    inputs.leadSentence = table.text(mvx::Msg::BarcodeLeadSentence);
    inputs.publicKeyFile = key;
    inputs.userName = "山田 太郎";
    inputs.mail = "taro.yamada@example.jp";
    inputs.baseUrl = "https://service.example.jp/";
    inputs.keyTime = 1767225600;
    const mvx::Registration registration = mvx::buildRegistration(inputs);
    if (registration.status != mvx::RegistrationStatus::Ok) {
        std::fprintf(stderr, "registration content could not be built\n");
        return 1;
    }
    compare("registration content (M)", registration.content, 0, QR_MODE_KANJI, 0, seconds);

    // A text that fills version 40 at level M in byte mode (2,331 bytes).
    std::string large;
    for (int i = 0; large.size() < 2331; ++i)
        large += "version forty text, " + std::to_string(i) + "; ";
    large.resize(2331);
    compare("version 40 (M)", large, 40, QR_MODE_8, 40, seconds);
    return 0;
}
