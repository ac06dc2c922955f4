#include "app/CSettingsStore.h"

#include "app/CIniFile.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <utility>

namespace mvx {

std::string fileNamePart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CSettingsStore::CSettingsStore(std::string programFolder) : programFolder_(std::move(programFolder)) {}

CSettingsStore::LoadResult CSettingsStore::load() const
{
    CIniFile ini;
    LoadResult result;
    result.fileFound = ini.load(path());
    result.settings = read(ini);
    derivePaths(result.settings);
    return result;
}

void CSettingsStore::derivePaths(Settings& s) const
{
    s.ownPublicKeyPath = s.keyPairRoot + s.publicKeyName;
    s.ownPrivateKeyPath = s.keyPairRoot + s.privateKeyName;
    s.memberFilePath = programFolder_ + s.memberFileName;
}

Settings CSettingsStore::read(const CIniFile& ini)
{
    const Settings d;
    Settings s;
    const auto str = [&](const char* key, const std::string& def) { return ini.getString(kSection, key, def); };
    const auto num = [&](const char* key, int def) { return ini.getInt(kSection, key, def); };
    s.destPath1 = str("DestPath1", d.destPath1);
    s.destPath2 = str("DestPath2", d.destPath2);
    s.deleteCheck1 = num("DeleteCheck1", d.deleteCheck1);
    s.deleteCheck2 = num("DeleteCheck2", d.deleteCheck2);
    s.keyPairRoot = str("KeyPairRoot", d.keyPairRoot);
    s.publicKeyName = str("PublicKeyName", d.publicKeyName);
    s.privateKeyName = str("PrivateKeyName", d.privateKeyName);
    s.memberFileName = str("MemberFileName", d.memberFileName);
    s.limitCheck = num("LimitCheck", d.limitCheck);
    s.limitUnit = num("LimitUnit", d.limitUnit);
    s.klxSnedMailCheck = num("KLXSnedMailCheck", d.klxSnedMailCheck);
    s.encAndDec = num("EncAndDec", d.encAndDec);
    s.klxKeep = num("KlxKeep", d.klxKeep);
    s.inquireUsb = num("InquireUSB", d.inquireUsb);
    s.useTimer = num("UseTimer", d.useTimer);
    s.timeForTimer = num("TimeForTimer", d.timeForTimer);
    s.useSmallMenu = num("UseSmallMenu", d.useSmallMenu);
    s.smallMenuTopmost = num("SmallMenuTopmost", d.smallMenuTopmost);
    s.smallMenuPosition = num("SmallMenuPosition", d.smallMenuPosition);
    s.smallMenuPositionX = num("SmallMenuPositionX", d.smallMenuPositionX);
    s.smallMenuPositionY = num("SmallMenuPositionY", d.smallMenuPositionY);
    s.ddSelfEncrypt = num("DDSelfEncrypt", d.ddSelfEncrypt);
    s.noUseContextMenu = num("NoUseContextMenu", d.noUseContextMenu);
    s.languageSel = str("LanguageSel", d.languageSel);
    s.firstStart = num("FirstStart", d.firstStart);
    s.stopDlg = num("StopDlg", d.stopDlg);
    s.autoEncComplusion = num("AutoEncComplusion", d.autoEncComplusion);
    s.serviceUrl = str("ServiceURL", kDefaultServiceUrl);
    s.mainWindowGeometry = ini.getString(kWindowSection, "MainWindowGeometry", {});
    s.mainWindowSplitters = ini.getString(kWindowSection, "MainWindowSplitters", {});
    s.mainWindowRightSplitter = ini.getString(kWindowSection, "MainWindowRightSplitter", {});
    return s;
}

void CSettingsStore::write(CIniFile& ini, const Settings& s)
{
    const auto str = [&](const char* key, const std::string& value) { ini.setString(kSection, key, value); };
    const auto num = [&](const char* key, int value) { ini.setInt(kSection, key, value); };
    str("MemberFileName", s.memberFileName);
    str("DestPath1", s.destPath1);
    str("DestPath2", s.destPath2);
    num("DeleteCheck1", s.deleteCheck1);
    num("DeleteCheck2", s.deleteCheck2);
    num("LimitCheck", s.limitCheck);
    num("KLXSnedMailCheck", s.klxSnedMailCheck);
    num("LimitUnit", s.limitUnit);
    str("LanguageSel", s.languageSel);
    num("UseSmallMenu", s.useSmallMenu);
    num("SmallMenuTopmost", s.smallMenuTopmost);
    num("SmallMenuPosition", s.smallMenuPosition);
    num("DDSelfEncrypt", s.ddSelfEncrypt);
    num("SmallMenuPositionX", s.smallMenuPositionX);
    num("SmallMenuPositionY", s.smallMenuPositionY);
    num("FirstStart", s.firstStart);
    num("StopDlg", s.stopDlg);
    num("EncAndDec", s.encAndDec);
    num("KlxKeep", s.klxKeep);
    num("InquireUSB", s.inquireUsb);
    str("PublicKeyName", fileNamePart(s.ownPublicKeyPath));
    str("PrivateKeyName", fileNamePart(s.ownPrivateKeyPath));
    str("keyPairRoot", s.keyPairRoot);
    num("UseTimer", s.useTimer);
    num("TimeForTimer", s.timeForTimer);
    num("AutoEncComplusion", s.autoEncComplusion);
    // After the fixed keys, in a section of its own, and only once there is something to keep.
    const std::pair<const char*, const std::string*> window[] = {{"MainWindowGeometry", &s.mainWindowGeometry},
                                                                 {"MainWindowSplitters", &s.mainWindowSplitters},
                                                                 {"MainWindowRightSplitter", &s.mainWindowRightSplitter}};
    for (const auto& [key, value] : window)
        if (!value->empty())
            ini.setString(kWindowSection, key, *value);
}

bool CSettingsStore::save(const Settings& settings) const
{
    CIniFile ini;
    // A file that exists but cannot be read is not replaced: its other lines would be lost.
    if (!ini.load(path()) && ::access(path().c_str(), F_OK) == 0)
        return false;
    write(ini, settings);
    return ini.save(path());
}

bool CSettingsStore::remove() const
{
    return std::remove(path().c_str()) == 0 || errno == ENOENT;
}

} // namespace mvx
