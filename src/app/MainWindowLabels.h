#pragma once

#include "app/Msg.h"

#include <array>

namespace mvx {

// Which table slot labels which part of the main window; the window reads
// these after every language fill.
struct CommandLabel {
    int command;
    int slot;
};

// The first two top-level menus, by position.
inline constexpr std::array<int, 2> kTopMenuSlots = {Msg::MenuMain, Msg::MenuHelp};

// Menu items, by command.
inline constexpr std::array<CommandLabel, 16> kMenuCommandLabels = {{
    {151, Msg::MenuEncryption},
    {152, Msg::MenuDecryption},
    {158, Msg::MenuSettings},
    {174, Msg::MenuKeyChainList},
    {177, Msg::MenuAuthenticatePublicKey},
    {57665, Msg::MenuExit},
    {282, Msg::MenuForwardFile},
    {283, Msg::MenuShowFileLogs},
    {284, Msg::MenuJapanese},
    {286, Msg::MenuEnglish},
    {306, Msg::SendPublicKey},
    {116, Msg::ToolCreateKey},
    {338, Msg::MenuKeyBackup},
    {32881, Msg::MenuShowQrCode},
    {57666, Msg::MenuIndex},
    {225, Msg::MenuAbout},
}};

// The ten toolbar buttons in button order: Encryption, Decryption, Show File
// Logs, Forward File, Create Key, KeyChain List, Miniaturization, Delete
// Files, Request to repair key, the barcode.
inline constexpr std::array<CommandLabel, 10> kToolbarLabels = {{
    {151, Msg::ToolEncryption},
    {152, Msg::ToolDecryption},
    {32841, Msg::ToolShowFileLogs},
    {32840, Msg::ToolForwardFile},
    {116, Msg::ToolCreateKey},
    {174, Msg::ToolKeyChainList},
    {32846, Msg::ToolMiniaturization},
    {32851, Msg::DeleteFiles},
    {32854, Msg::RequestKeyRepair},
    {32881, Msg::ToolBarcode},
}};

// The system-menu command that switches to the mini window.
inline constexpr CommandLabel kSystemMenuMiniWindow = {16, Msg::UseMiniMenu};

// Language menu commands and their language-command arguments.
inline constexpr int kCommandLanguageJapanese = 284;
inline constexpr int kCommandLanguageEnglish = 286;

} // namespace mvx
