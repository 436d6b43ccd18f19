#pragma once
// The version record each program carries in its binary. The layer takes the application title
// from it; `strings quillet | grep FileVersion` finds it in the file.

namespace platform::ui {

struct VersionRecord {
    const char* block;           // language and code page: "040904B0" (English (US), Unicode)
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

// Defined once per program, in its resources, with DEFINE_PROGRAM_VERSION_RECORD.
const platform::ui::VersionRecord& ProgramVersionRecord();

// Defines ProgramVersionRecord() from one list of values, and the same fields again as key /
// value strings in a section of their own: the linker keeps that even when no code reads it, so
// `strings <program> | grep FileVersion` answers for any build. FILE_VERSION is a string literal
// ("1, 0, 0, 1"), NUMBERS the four numbers (1,0,0,1), FILE the program's file name.
#define DEFINE_PROGRAM_VERSION_RECORD(FILE_VERSION, NUMBERS, NAME, DESCRIPTION, FILE, COMPANY, \
                                      COPYRIGHT)                                               \
    namespace {                                                                                \
    [[gnu::used, gnu::section(".program_version")]] const char kVersionStrings[] =             \
        "FileVersion\0" FILE_VERSION "\0ProductVersion\0" FILE_VERSION "\0ProductName\0" NAME  \
        "\0FileDescription\0" DESCRIPTION "\0InternalName\0" FILE "\0OriginalFilename\0" FILE  \
        "\0CompanyName\0" COMPANY "\0LegalCopyright\0" COPYRIGHT;                              \
    }                                                                                          \
    const platform::ui::VersionRecord& ProgramVersionRecord() {                                \
        static const platform::ui::VersionRecord record = {                                    \
            "040904B0", FILE_VERSION, FILE_VERSION, NAME,      DESCRIPTION,                    \
            FILE,       FILE,         COMPANY,      COPYRIGHT, {NUMBERS}};                     \
        return record;                                                                         \
    }
