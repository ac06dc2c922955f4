#include "keys/CKeyChain.h"

#include "app/Msg.h"
#include "keys/KeyFileNames.h"
#include "platform/FileAttributes.h"

namespace mvx {

std::vector<CKeyChain::Row> CKeyChain::rows(const std::string& folder, const CAuthManager& history) const
{
    std::vector<Row> rows;
    const std::string base = KeyFileNames::withTrailingSlash(folder);
    for (const std::string& name : FileAttributes::entries(base)) {
        const std::string path = base + name;
        if (name.front() == '.' || !FileAttributes::isRegularFile(path) ||
            KeyFileNames::kindOf(name) != KeyKind::Public)
            continue;
        const std::string& shown = path == ownPublicKeyPath_ ? messenger_.text(Msg::PublicKeyForOneself) : name;
        const int logSlot = history.contains(path) ? Msg::AuthLogExists : Msg::AuthLogNotExists;
        rows.push_back({path, shown, messenger_.text(logSlot)});
    }
    return rows;
}

std::optional<std::string> CKeyChain::takeSelection(const std::vector<Row>& rows, const std::vector<size_t>& selected)
{
    std::vector<size_t> valid;
    for (size_t index : selected)
        if (index < rows.size())
            valid.push_back(index);
    if (valid.empty()) {
        messenger_.show(Msg::ChoosePublicKey, MsgIcon::Exclamation);
        return std::nullopt;
    }
    if (valid.size() > 1)
        messenger_.show(Msg::OnlyOnePublicKey, MsgIcon::Exclamation);
    return rows[valid.front()].path;
}

} // namespace mvx
