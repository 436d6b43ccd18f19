#include "modemsim/trace_sink.h"

#include <memory>

#include "platform/simhost/bounded_write.h"

namespace modemsim {

TraceSink DescriptorTraceSink(int fd) {
    // Whether the last line went out only in part; used by the writer thread alone.
    auto torn = std::make_shared<bool>(false);
    return [fd, torn](const std::string& line) {
        const std::size_t opening = *torn ? 1 : 0;
        const std::string text = std::string(opening, '\n') + line + '\n';
        const std::size_t written = platform::WriteWithin(fd, text, kTraceWriteWaitMs);
        if (written >= opening) {
            *torn = written > opening && written < text.size();
        }
        return written == text.size();
    };
}

TraceSink StderrTraceSink() {
    return DescriptorTraceSink(platform::kStandardError);
}

}  // namespace modemsim
