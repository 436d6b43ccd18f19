#pragma once
// The version record each program carries in its binary. The layer takes the application title
// from it; `strings quillet | grep FileVersion` finds it in the file.

namespace platform::ui {

struct VersionRecord {
    const char* block;  // language and code page: "040904B0" (English (US), Unicode)
    const char* fileVersion;     // "1, 0, 0, 1"
    const char* productVersion;  // "1, 0, 0, 1"
    const char* productName;     // also the application title
    const char* fileDescription;
    const char* internalName;
    const char* originalFilename;
    const char* companyName;
    const char* legalCopyright;
    unsigned short fileVersionNumbers[4];  // 1, 0, 0, 1
};

}  // namespace platform::ui

// Defined once per program, in its resources.
const platform::ui::VersionRecord& ProgramVersionRecord();
