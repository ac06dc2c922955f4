#pragma once

#include <string>
#include <vector>

namespace mvx {

// The desktop's association of file types with applications, read in-process
// from the freedesktop files: the MIME type from the file's content
// (libmagic, as file(1) gives it), the default application from the
// mimeapps.list files, then the applications' mimeinfo.cache and MimeType
// lines. No child process is started.
class DesktopAssociations {
public:
    // The MIME type of a file's content; empty when it cannot be told.
    static std::string mimeTypeOf(const std::string& file);
    // The .desktop file of the default application for the type; empty when there is none.
    static std::string defaultDesktopFile(const std::string& mimeType);
    // The Exec value of a desktop file; empty when there is none.
    static std::string execOf(const std::string& desktopFile);
    // The path of a desktop file id ("vendor-app.desktop" may lie in "vendor/"); empty when missing.
    static std::string findDesktopFile(const std::string& id);
    // Where desktop files lie: the user's data folder first, then the system's, each with a trailing "/".
    static std::vector<std::string> applicationFolders();
    // The lists that name default applications, in the order they are asked.
    static std::vector<std::string> mimeAppsLists();
};

} // namespace mvx
