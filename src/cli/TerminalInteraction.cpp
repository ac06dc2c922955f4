#include "cli/TerminalInteraction.h"

#include "app/MessageFormat.h"
#include "app/Msg.h"
#include "cli/TerminalLine.h"

#include <istream>
#include <ostream>

namespace mvx::cli {

namespace {

const char* iconPrefix(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Stop: return "[error] ";
    case MsgIcon::Exclamation: return "[warning] ";
    case MsgIcon::Question: return "[question] ";
    case MsgIcon::Information: return "[info] ";
    case MsgIcon::None: break;
    }
    return "";
}

} // namespace

TerminalInteraction::TerminalInteraction(AnswerPolicy policy, std::istream& in, std::ostream& err,
                                         bool inputIsTerminal)
    : policy_(policy), in_(in), err_(err), interactive_(inputIsTerminal)
{
}

void TerminalInteraction::showMessage(const std::string& text, MsgIcon icon, const std::string& caption)
{
    if (!caption.empty())
        err_ << caption << ": ";
    err_ << iconPrefix(icon) << text << '\n';
}

bool TerminalInteraction::askYesNo(const std::string& text, MsgIcon icon, const std::string& caption)
{
    if (!caption.empty())
        err_ << caption << ": ";
    err_ << iconPrefix(icon);
    return choose(text, {label(Msg::Yes), label(Msg::No)}, 1) == 0;
}

bool TerminalInteraction::askOkCancel(const std::string& text, MsgIcon icon, const std::string& caption)
{
    if (!caption.empty())
        err_ << caption << ": ";
    err_ << iconPrefix(icon);
    return choose(text, {label(Msg::Ok), label(Msg::Cancel)}, 1) == 0;
}

int TerminalInteraction::continueConfirm(const std::string& caption, const std::string& text,
                                         const std::array<std::string, 4>& buttons)
{
    if (!caption.empty())
        err_ << caption << ": ";
    if (policy_ == AnswerPolicy::OverwriteAll) {
        err_ << text << "\n-> " << buttons[1] << '\n';
        return 1;
    }
    // The last button always ends the loop: it is the safe answer.
    return choose(text, {buttons.begin(), buttons.end()}, 3);
}

bool TerminalInteraction::noticeWithSilence(const std::string& caption, const std::string& text,
                                            const std::string& checkBoxText)
{
    showMessage(text, MsgIcon::Information, caption);
    if (policy_ != AnswerPolicy::Ask || !interactive_)
        return false;
    return choose(checkBoxText, {label(Msg::Yes), label(Msg::No)}, 1) == 0;
}

std::vector<std::string> TerminalInteraction::chooseFiles(const std::string& title, const std::string&)
{
    std::vector<std::string> files;
    while (auto line = askLine(title + " (empty line ends)")) {
        if (line->empty())
            break;
        files.push_back(*line);
    }
    return files;
}

std::optional<std::string> TerminalInteraction::chooseFolder(const std::string& title, const std::string&)
{
    auto line = askLine(title);
    if (!line || line->empty())
        return std::nullopt;
    return line;
}

std::optional<std::string> TerminalInteraction::chooseSavePath(const std::string& title,
                                                               const std::string& suggestedPath)
{
    if (policy_ != AnswerPolicy::Ask)
        return policy_ == AnswerPolicy::No ? std::nullopt : std::optional<std::string>(suggestedPath);
    auto line = askLine(title + " [" + suggestedPath + "]");
    if (!line)
        return std::nullopt;
    return line->empty() ? suggestedPath : *line;
}

void TerminalInteraction::status(const std::string& text)
{
    if (!text.empty())
        err_ << text << '\n';
}

int TerminalInteraction::choose(const std::string& text, const std::vector<std::string>& choices, int safeIndex)
{
    err_ << text << '\n';
    int picked = safeIndex;
    if (policy_ == AnswerPolicy::Yes || policy_ == AnswerPolicy::OverwriteAll) {
        picked = 0;
    } else if (policy_ == AnswerPolicy::No) {
        picked = safeIndex;
    } else if (!interactive_) {
        err_ << formatMessage(label(Msg::NoTerminalSafeAnswer), choices[static_cast<size_t>(safeIndex)]) << '\n';
        return safeIndex;
    } else {
        for (;;) {
            for (size_t i = 0; i < choices.size(); ++i)
                err_ << "  " << (i + 1) << ") " << choices[i] << '\n';
            auto line = askLine("?");
            if (!line)
                return safeIndex;
            for (size_t i = 0; i < choices.size(); ++i)
                if (*line == std::to_string(i + 1) || *line == choices[i])
                    return static_cast<int>(i);
        }
    }
    err_ << "-> " << choices[static_cast<size_t>(picked)] << '\n';
    return picked;
}

std::string TerminalInteraction::label(int slot) const
{
    static const CMessageTable japanese;  // the texts every table starts with
    return (table_ ? *table_ : japanese).text(slot);
}

std::optional<std::string> TerminalInteraction::askLine(const std::string& prompt)
{
    if (!interactive_)
        return std::nullopt;
    err_ << prompt << ' ' << std::flush;
    std::string line;
    const bool read = static_cast<bool>(std::getline(in_, line));
    // The progress line held back while the question waited comes back.
    if (auto* terminal = dynamic_cast<TerminalLine*>(err_.rdbuf()))
        terminal->answered();
    if (!read)
        return std::nullopt;
    return line;
}

} // namespace mvx::cli
