#pragma once

#include <string>

namespace mvx {

enum class KeyKind { Private, Authenticated, Public, Other };

// Names of the key-set files and the key-folder files, and the rules that
// read a key's kind, holder and issuer from its name.
class KeyFileNames {
public:
    static constexpr const char* kPublicEnding = ".kpub";
    static constexpr const char* kPrivateEnding = ".kpri";
    static constexpr const char* kPrivateSuffix = "Private.kpri";
    static constexpr const char* kAuthEnding = "-auth.kpub";
    static constexpr const char* kHolderSeparator = "))";
    static constexpr const char* kKeyFolderPrefix = "KeyList_";
    static constexpr const char* kMemberFile = "member.dat";
    static constexpr const char* kPublicMemberFile = "pubkey_member.dat";
    static constexpr const char* kPersonalInfoFile = "personalinfo.dat";
    static constexpr const char* kAuthHistoryFile = "authhistory.dat";
    static constexpr const char* kMemberListSuffix = "Member.txt";

    static bool endsWithNoCase(const std::string& text, const std::string& ending);
    // Kind by the name's ending, compared in lower case.
    static KeyKind kindOf(const std::string& name);

    static std::string fileNameOf(const std::string& path);
    // The folder part with its trailing "/", empty when the path has none.
    static std::string folderOf(const std::string& path);
    // The name without its last extension.
    static std::string stemOf(const std::string& name);
    static std::string withTrailingSlash(const std::string& folder);

    static std::string publicKeyName(const std::string& keySetName) { return keySetName + kPublicEnding; }
    static std::string privateKeyName(const std::string& keySetName) { return keySetName + kPrivateSuffix; }
    // key root + "KeyList_" + N + "/"
    static std::string keyFolder(const std::string& keyRoot, const std::string& keySetName);
    // The text after the first "_" of the folder's own name.
    static std::string ownerOfKeyFolder(const std::string& folder);
    // The private key file name without its ending "Private.kpri" (any case).
    static std::string keySetNameOfPrivateKey(const std::string& privateKeyName);

    // holder + "))" + issuer + "-auth.kpub"
    static std::string authKeyName(const std::string& holder, const std::string& issuer);
    // Holder and issuer of an authenticated key's name; false for other names.
    static bool splitAuthKeyName(const std::string& name, std::string& holder, std::string& issuer);

    // A name read from a file, with folder parts removed so it never leaves its folder.
    static std::string safeFileName(const std::string& name);
};

} // namespace mvx
