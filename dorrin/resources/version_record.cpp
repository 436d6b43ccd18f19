// The dialer program's version record. The version comes from the project's own (root
// CMakeLists.txt) through PROGRAM_FILE_VERSION and PROGRAM_VERSION_NUMBERS, so the programs and
// the project cannot disagree.

#include "platform/ui/version_record.h"

namespace {

// The record again as key / value pairs in a section of its own: the linker keeps it even when
// no code reads it, so `strings dorrin | grep FileVersion` answers for any build.
[[gnu::used, gnu::section(".program_version")]] const char kVersionStrings[] =
    "FileVersion\0" PROGRAM_FILE_VERSION "\0ProductVersion\0" PROGRAM_FILE_VERSION
    "\0ProductName\0Dorrin"
    "\0FileDescription\0Voice-call test for GSM modems"
    "\0InternalName\0dorrin"
    "\0OriginalFilename\0dorrin"
    "\0CompanyName\0Dorrin authors"
    "\0LegalCopyright\0Copyright (C) 2026 Dorrin authors";

}  // namespace

const platform::ui::VersionRecord& ProgramVersionRecord() {
    static const platform::ui::VersionRecord record = {
        "040904B0",
        PROGRAM_FILE_VERSION,
        PROGRAM_FILE_VERSION,
        "Dorrin",
        "Voice-call test for GSM modems",
        "dorrin",
        "dorrin",
        "Dorrin authors",
        "Copyright (C) 2026 Dorrin authors",
        {PROGRAM_VERSION_NUMBERS},
    };
    return record;
}
