#include "modemlink/tracetext/trace_line.h"

#include <cstdio>

#include "modemlink/tracetext/byte_escapes.h"

namespace tracetext {

std::string TraceLine(double seconds, char direction, std::string_view bytes) {
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "[%8.3f] %c ", seconds, direction);
    return stamp + EscapeBytes(bytes);
}

}  // namespace tracetext
