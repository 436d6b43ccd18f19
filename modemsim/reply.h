#pragma once
// What one command line makes the modem say, and how it is framed in verbose result codes:
//   information   \r\n+CMGF: 1\r\n
//   final code    \r\nOK\r\n   \r\nERROR\r\n   \r\n+CMS ERROR: 321\r\n   \r\nNO CARRIER\r\n
//   SMS prompt    \r\n>  (no line end: the terminal types the text after it)

#include <string>
#include <string_view>

namespace modemsim {

enum class FinalCode { kOk, kError, kCmsError, kNoCarrier, kPrompt };

struct Reply {
    std::string info;  // framed information text, possibly empty
    FinalCode final = FinalCode::kOk;
    int cmsError = 0;

    static Reply Ok(std::string info = {});
    static Reply Error();
    static Reply CmsError(int code);
    static Reply NoCarrier();
    static Reply Prompt();
};

// "\r\n" + text + "\r\n"
std::string InfoLine(std::string_view text);

// The information text followed by the framed final code.
std::string Render(const Reply& reply);

}  // namespace modemsim
