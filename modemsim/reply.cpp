#include "modemsim/reply.h"

#include <utility>

namespace modemsim {
namespace {

Reply WithFinal(FinalCode final) {
    Reply reply;
    reply.final = final;
    return reply;
}

std::string FinalText(const Reply& reply) {
    switch (reply.final) {
        case FinalCode::kOk:
            return InfoLine("OK");
        case FinalCode::kError:
            return InfoLine("ERROR");
        case FinalCode::kCmsError:
            return InfoLine("+CMS ERROR: " + std::to_string(reply.cmsError));
        case FinalCode::kNoCarrier:
            return InfoLine("NO CARRIER");
        case FinalCode::kPrompt:
            return "\r\n> ";
    }
    return {};
}

}  // namespace

Reply Reply::Ok(std::string info) {
    Reply reply;
    reply.info = std::move(info);
    return reply;
}

Reply Reply::Error() {
    return WithFinal(FinalCode::kError);
}
Reply Reply::NoCarrier() {
    return WithFinal(FinalCode::kNoCarrier);
}
Reply Reply::Prompt() {
    return WithFinal(FinalCode::kPrompt);
}

Reply Reply::CmsError(int code) {
    Reply reply = WithFinal(FinalCode::kCmsError);
    reply.cmsError = code;
    return reply;
}

std::string InfoLine(std::string_view text) {
    std::string line = "\r\n";
    line.append(text);
    line.append("\r\n");
    return line;
}

std::string Render(const Reply& reply) {
    return reply.info + FinalText(reply);
}

}  // namespace modemsim
