#include "cli/QrCommand.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "barcode/CQREncoder.h"
#include "barcode/QrSymbolBitmap.h"
#include "barcode/QrTextPicture.h"
#include "barcode/ShiftJis.h"
#include "cli/CliSession.h"
#include "workbench/RegistrationSymbol.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace mvx::cli {

const char* const kQrSummary = "the own registration symbol as a QR code (BMP file or terminal); --text for any text";

const char* const kQrUsage =
    "usage: morvanex-cli qr [--bmp FILE] [--key FILE] [--name NAME] [--mail ADDR] [--url URL] [--invert]\n"
    "       morvanex-cli qr --text TEXT [--shift-jis] [--level L|M|Q|H] [--version N [--allow-larger]]\n"
    "                       [--mask N] [--bmp FILE] [--invert]\n"
    "\n"
    "Without --text: the web service's registration address for the own public key,\n"
    "as a QR code symbol at level M, version and mask chosen automatically. The key,\n"
    "name and mail are those of the own key set unless given:\n"
    "  --key FILE      another public key file (.kpub)\n"
    "  --name NAME     another user name for the address\n"
    "  --mail ADDR     another mail address for the address\n"
    "  --url URL       the service base URL (default: $MORVANEX_SERVICE_URL, else the\n"
    "                  setting \"ServiceURL\")\n"
    "With --key, --name and --mail all given no key set is needed.\n"
    "\n"
    "With --text: any text.\n"
    "  --text TEXT     the bytes to encode, as given\n"
    "  --shift-jis     convert TEXT from UTF-8 to Shift-JIS first (Japanese then\n"
    "                  goes into Kanji segments)\n"
    "  --level L       error-correction level L, M (default), Q or H\n"
    "  --version N     symbol version 1..40 (default: the smallest that fits)\n"
    "  --allow-larger  with --version: a larger version when the text needs one\n"
    "  --mask N        mask pattern 0..7 (default: the one with the lowest penalty)\n"
    "\n"
    "Output:\n"
    "  --bmp FILE      write a 1-bit BMP file, two pixels per module, and print FILE;\n"
    "                  an existing file is replaced\n"
    "  (no --bmp)      print the symbol on standard output, two modules per\n"
    "                  character cell; on a terminal in black on white\n"
    "  --invert        plain output with the light modules drawn (for a dark\n"
    "                  terminal whose colours are not to be set)\n";

namespace {

struct QrOptions {
    std::optional<std::string> text;
    bool shiftJis = false;
    int level = CQREncoder::LevelM;
    int version = 0;
    bool allowLarger = false;
    int mask = -1;
    std::string bmpPath;
    std::string keyPath;
    std::optional<std::string> name;
    std::optional<std::string> mail;
    std::string url;
    bool invert = false;
};

std::optional<int> parseNumber(const std::string& s, int low, int high)
{
    if (s.empty() || s.size() > 3 || s.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int v = std::stoi(s);
    if (v < low || v > high)
        return std::nullopt;
    return v;
}

std::optional<int> parseLevel(const std::string& s)
{
    static const std::string levels = "LMQH";
    if (s.size() != 1)
        return std::nullopt;
    const auto pos = levels.find(static_cast<char>(std::toupper(static_cast<unsigned char>(s[0]))));
    if (pos == std::string::npos)
        return std::nullopt;
    return static_cast<int>(pos);
}

bool takesValue(const std::string& option)
{
    static const char* const options[] = {"--text", "--level", "--version", "--mask", "--bmp",
                                          "--key",  "--name",  "--mail",    "--url"};
    for (const char* o : options)
        if (option == o)
            return true;
    return false;
}

// Takes the option with its value; an error text when the value is wrong.
std::optional<std::string> takeValueOption(const std::string& option, const std::string& value, QrOptions& o)
{
    if (option == "--text") {
        o.text = value;
    } else if (option == "--level") {
        const auto level = parseLevel(value);
        if (!level)
            return "--level takes L, M, Q or H";
        o.level = *level;
    } else if (option == "--version") {
        const auto version = parseNumber(value, 1, 40);
        if (!version)
            return "--version takes 1 to 40";
        o.version = *version;
    } else if (option == "--mask") {
        const auto mask = parseNumber(value, 0, 7);
        if (!mask)
            return "--mask takes 0 to 7";
        o.mask = *mask;
    } else if (option == "--bmp") {
        o.bmpPath = value;
    } else if (option == "--key") {
        o.keyPath = value;
    } else if (option == "--name") {
        o.name = value;
    } else if (option == "--mail") {
        o.mail = value;
    } else if (option == "--url") {
        o.url = value;
    } else {
        return "unknown argument " + option;
    }
    return std::nullopt;
}

// Checks that the options make one of the two forms of the command.
std::optional<std::string> checkCombination(QrOptions& o)
{
    if (o.text) {
        if (o.text->empty())
            return "--text needs a text";
        if (!o.keyPath.empty() || o.name || o.mail || !o.url.empty())
            return "--text does not go with --key, --name, --mail or --url";
        return std::nullopt;
    }
    if (o.shiftJis || o.version != 0 || o.allowLarger || o.mask != -1 || o.level != CQREncoder::LevelM)
        return "--shift-jis, --level, --version, --allow-larger and --mask go with --text";
    if (o.url.empty()) {
        const char* env = std::getenv("MORVANEX_SERVICE_URL");
        o.url = env ? env : "";
    }
    return std::nullopt;
}

// Fills the options; an error text for the usage message when they are wrong.
std::optional<std::string> parseOptions(const CommandArgs& args, QrOptions& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--shift-jis") {
            o.shiftJis = true;
        } else if (a == "--allow-larger") {
            o.allowLarger = true;
        } else if (a == "--invert") {
            o.invert = true;
        } else if (!takesValue(a)) {
            return "unknown argument " + a;
        } else if (i + 1 >= args.size()) {
            return a + " needs a value";
        } else if (const auto error = takeValueOption(a, args[++i], o)) {
            return error;
        }
    }
    return checkCombination(o);
}

int usageError(CliContext& ctx, const std::string& error)
{
    *ctx.err << "morvanex-cli qr: " << error << "\n(morvanex-cli qr --help lists the options)\n";
    return ExitUsage;
}

// The text of --text, converted when asked; nothing after a message.
std::optional<std::string> textContent(CMessenger& messenger, const QrOptions& o)
{
    if (!o.shiftJis)
        return *o.text;
    const auto converted = utf8ToShiftJis(*o.text);
    if (!converted)
        messenger.show(Msg::QrTextNotShiftJis, MsgIcon::Stop);
    return converted;
}

TextPictureStyle pictureStyle(const CliContext& ctx, const QrOptions& o)
{
    if (o.invert)
        return TextPictureStyle::LightAsBlocks;
    if (ctx.out == &std::cout && isatty(STDOUT_FILENO))
        return TextPictureStyle::Coloured;
    return TextPictureStyle::DarkAsBlocks;
}

// Encodes the content and writes the BMP file or prints the picture.
int showSymbol(CliContext& ctx, CMessenger& messenger, const QrOptions& o, const std::string& content)
{
    auto encoder = std::make_unique<CQREncoder>();
    if (!encoder->encode(o.level, o.version, o.allowLarger, o.mask, content.data(), static_cast<int>(content.size()))) {
        if (o.version != 0 && !o.allowLarger)
            messenger.show(Msg::QrTextDoesNotFitVersion, MsgIcon::Stop, o.version);
        else
            messenger.show(Msg::QrTextDoesNotFit, MsgIcon::Stop);
        return ExitFailed;
    }
    const QrSymbolBitmap bitmap(*encoder);
    if (o.bmpPath.empty()) {
        *ctx.out << halfBlockPicture(bitmap, pictureStyle(ctx, o));
        return ExitOk;
    }
    if (!bitmap.saveBmpFile(o.bmpPath)) {
        messenger.showCaptioned(Msg::BitmapFileOpenError, Msg::BitmapFileOpenErrorCaption, MsgIcon::Stop);
        return ExitFailed;
    }
    *ctx.out << o.bmpPath << '\n';
    return ExitOk;
}

} // namespace

int runQrCommand(CliContext& ctx, const CommandArgs& args)
{
    QrOptions o;
    if (const auto error = parseOptions(args, o))
        return usageError(ctx, *error);
    CliSession session(ctx);
    CMessenger& messenger = session.messenger();
    std::optional<std::string> content;
    if (o.text) {
        content = textContent(messenger, o);
    } else {
        o.allowLarger = true;
        RegistrationSymbol symbol{o.keyPath, o.name, o.mail, o.url};
        content = symbol.content(session.app());
    }
    return content ? showSymbol(ctx, messenger, o, *content) : ExitFailed;
}

} // namespace mvx::cli
