#pragma once
// The command line that sets the SMS service centre from what the user typed: a number goes out
// as AT+CSCA="<number>",145; a line that begins with "AT" (any case) is taken as the user's own
// command and goes out as it stands with ",145" behind it.

#include <string>

std::u16string SmsCentreLine(const std::u16string& text);
