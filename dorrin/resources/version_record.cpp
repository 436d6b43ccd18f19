// The dialer program's version record. The version comes from the project's own (root
// CMakeLists.txt) through PROGRAM_FILE_VERSION and PROGRAM_VERSION_NUMBERS, so the programs and
// the project cannot disagree.

#include "platform/ui/version_record.h"

DEFINE_PROGRAM_VERSION_RECORD(PROGRAM_FILE_VERSION, PROGRAM_VERSION_NUMBERS, "Dorrin",
                              "Voice-call test for GSM modems", "dorrin", "Dorrin authors",
                              "Copyright (C) 2026 Dorrin authors")
