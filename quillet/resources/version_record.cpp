// The message program's version record. The version comes from the project's own (root
// CMakeLists.txt) through PROGRAM_FILE_VERSION and PROGRAM_VERSION_NUMBERS, so the programs and
// the project cannot disagree.

#include "platform/ui/version_record.h"

namespace {

// The record again as key / value pairs in a section of its own: the linker keeps it even when
// no code reads it, so `strings quillet | grep FileVersion` answers for any build.
[[gnu::used, gnu::section(".program_version")]] const char kVersionStrings[] =
    "FileVersion\0" PROGRAM_FILE_VERSION "\0ProductVersion\0" PROGRAM_FILE_VERSION
    "\0ProductName\0Quillet"
    "\0FileDescription\0SMS test for GSM modems"
    "\0InternalName\0quillet"
    "\0OriginalFilename\0quillet"
    "\0CompanyName\0Quillet authors"
    "\0LegalCopyright\0Copyright (C) 2026 Quillet authors";

}  // namespace

const platform::ui::VersionRecord& ProgramVersionRecord() {
    static const platform::ui::VersionRecord record = {
        "040904B0",
        PROGRAM_FILE_VERSION,
        PROGRAM_FILE_VERSION,
        "Quillet",
        "SMS test for GSM modems",
        "quillet",
        "quillet",
        "Quillet authors",
        "Copyright (C) 2026 Quillet authors",
        {PROGRAM_VERSION_NUMBERS},
    };
    return record;
}
