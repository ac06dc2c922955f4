#pragma once

#include <string>

namespace mvx {

// The settings of "Values.dat", section "KLX", with their defaults, plus the
// paths derived from them at load.
struct Settings {
    std::string destPath1;        // "DestPath1": folder for encrypted files; empty = beside the plain file
    std::string destPath2;        // "DestPath2": the specific folder of automatic encryption and decryption
    int deleteCheck1 = 0;         // "DeleteCheck1": delete plain files after encryption
    int deleteCheck2 = 0;         // "DeleteCheck2": delete containers after decryption
    std::string keyPairRoot;      // "KeyPairRoot" (written as "keyPairRoot")
    std::string publicKeyName;    // "PublicKeyName", relative to the key-pair root
    std::string privateKeyName;   // "PrivateKeyName", relative to the key-pair root
    std::string memberFileName;   // "MemberFileName", relative to the program folder
    int limitCheck = 0;           // "LimitCheck": carried unchanged
    int limitUnit = 0;            // "LimitUnit": carried unchanged
    int klxSnedMailCheck = 0;     // "KLXSnedMailCheck": carried unchanged
    int encAndDec = 0;            // "EncAndDec": decrypt the specific folder at start, encrypt it at exit
    int klxKeep = 0;              // "KlxKeep": keep containers at automatic decryption
    int inquireUsb = 1;           // "InquireUSB": ask before decrypting when a USB memory is attached
    int useTimer = 1;             // "UseTimer": encrypt again after a time without user operation
    int timeForTimer = 1;         // "TimeForTimer": that time in minutes (1, 5, 10)
    int useSmallMenu = 1;         // "UseSmallMenu": start with the mini window
    int smallMenuTopmost = 1;     // "SmallMenuTopmost"
    int smallMenuPosition = 4;    // "SmallMenuPosition": 1..4 corners, 5 the last position
    int smallMenuPositionX = 0;   // "SmallMenuPositionX"
    int smallMenuPositionY = 0;   // "SmallMenuPositionY"
    int ddSelfEncrypt = 0;        // "DDSelfEncrypt": dropped files are encrypted for the user at once
    int noUseContextMenu = 0;     // "NoUseContextMenu": read, never written
    std::string languageSel = "JP";  // "LanguageSel"
    int firstStart = 1;           // "FirstStart"
    int stopDlg = 0;              // "StopDlg"
    int autoEncComplusion = 0;    // "AutoEncComplusion"
    std::string serviceUrl;       // "ServiceURL": base address of the web service; read, never written

    // Section "Window": where the main window was left, written once it has
    // been shown and closed (each empty until then, and then not written).
    std::string mainWindowGeometry;       // "MainWindowGeometry": the window's geometry, base64
    std::string mainWindowSplitters;      // "MainWindowSplitters": the file pane's splitter state, base64
    std::string mainWindowRightSplitter;  // "MainWindowRightSplitter": studio / destinations splitter, base64

    // Derived at load; the key names are written back from these paths.
    std::string ownPublicKeyPath;   // key-pair root + "PublicKeyName"
    std::string ownPrivateKeyPath;  // key-pair root + "PrivateKeyName"
    std::string memberFilePath;     // program folder + "MemberFileName"
};

} // namespace mvx
