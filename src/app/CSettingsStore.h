#pragma once

#include "app/Settings.h"

#include <string>

namespace mvx {

class CIniFile;

// Reads and writes the settings file "Values.dat" of the program folder.
class CSettingsStore {
public:
    static constexpr const char* kFileName = "Values.dat";
    static constexpr const char* kSection = "KLX";
    static constexpr const char* kWindowSection = "Window";
    static constexpr const char* kDefaultServiceUrl = "https://velquin.example/";

    // programFolder ends with "/".
    explicit CSettingsStore(std::string programFolder);

    const std::string& programFolder() const { return programFolder_; }
    std::string path() const { return programFolder_ + kFileName; }

    struct LoadResult {
        Settings settings;
        bool fileFound = false;  // false: start-up shows "'Values.dat' was not found."
    };
    // Every key with its default; the derived paths filled in.
    LoadResult load() const;
    // Writes every key but "NoUseContextMenu" (and "ServiceURL") in the fixed
    // order; other lines of the file stay. False when the file could not be
    // written; the old file is then unchanged.
    bool save(const Settings& settings) const;
    // "/Install" and "/Uninstall" remove the file; true when it is gone.
    bool remove() const;

    // The derived paths of settings whose root and names are set.
    void derivePaths(Settings& settings) const;

private:
    static Settings read(const CIniFile& ini);
    static void write(CIniFile& ini, const Settings& settings);

    std::string programFolder_;
};

// The file-name part of a path: the text after its last "/".
std::string fileNamePart(const std::string& path);

} // namespace mvx
