#pragma once
// Line breaks of multi-line edit boxes. Programs hand such a box CR LF line breaks and read CR LF
// back (the convention of the dialogs these programs were written for); Qt's text widgets keep
// a bare LF per break.

#include <string>

namespace platform::ui {

// CR LF -> LF. Lone CRs and LFs stay as they are.
std::u16string CrLfToLf(const std::u16string& text);
// Every LF not already behind a CR gets one: "a\nb" -> "a\r\nb".
std::u16string LfToCrLf(const std::u16string& text);

}  // namespace platform::ui
