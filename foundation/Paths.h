#pragma once

// The framework's file-system helpers, all in framework paths.

#include <string>

#include "foundation/PathConverter.h"

namespace zt {

// Converts with the running system's converter (see PathConverter.h).
bool ConvertPath(EPathDirection direction, const char* src, std::string& dst, bool makeAbsolute);

// Codes of the well-known folders.
enum ESpecialFolder {
    kSpecialFolderAppData = 0,
    kSpecialFolderDesktop = 1,
    kSpecialFolderProgramFiles = 2,
    kSpecialFolderDocuments = 3,
    kSpecialFolderCommonProgramFiles = 4,
    kSpecialFolderMusic = 5,
    kSpecialFolderTemp = 6,
};

// The folder as an absolute framework path ending in ':'. False when the
// system cannot name it (dst unchanged). A code outside 0..6 is a programming
// error: throws IException* type 2 (code), reason 2, "Not implemented for Windows".
bool GetSpecialFolder(int code, std::string& dst);

// Creates the folder and, first, each missing parent. True when the folder
// exists afterwards (also when it already did).
bool CreateFolder(const char* frameworkPath);

}  // namespace zt
