#include "modemsim/line_assembler.h"

#include <utility>

namespace modemsim {
namespace {

constexpr char kBackspace = '\x08';

}  // namespace

AssemblerStep LineAssembler::Push(char byte) {
    const bool afterCr = std::exchange(m_afterCr, false);
    if (afterCr && byte == '\n') {
        return {};
    }
    return m_prompt ? PushText(byte) : PushCommand(byte);
}

void LineAssembler::EnterPrompt() {
    m_prompt = true;
    m_buffer.clear();
    m_overflow = false;
}

void LineAssembler::Append(char byte, std::size_t bound) {
    if (byte == kBackspace) {
        if (!m_buffer.empty()) {
            m_buffer.pop_back();
        }
    } else if (m_buffer.size() < bound) {
        m_buffer.push_back(byte);
    } else {
        m_overflow = true;
    }
}

AssemblerStep LineAssembler::Complete(Completion completion, Completion overflow) {
    AssemblerStep step;
    step.completion = m_overflow ? overflow : completion;
    if (!m_overflow) {
        step.text = std::move(m_buffer);
    }
    m_buffer.clear();
    m_overflow = false;
    return step;
}

AssemblerStep LineAssembler::PushCommand(char byte) {
    if (byte == '\r') {
        m_afterCr = true;
        AssemblerStep step = Complete(Completion::kLine, Completion::kLineOverflow);
        step.echo = true;
        return step;
    }
    // A stray LF is echoed like any byte but is no part of a command.
    if (byte != '\n') {
        Append(byte, kMaxLine);
    }
    AssemblerStep step;
    step.echo = true;
    return step;
}

AssemblerStep LineAssembler::PushText(char byte) {
    if (byte == kCtrlZ || byte == kEscape) {
        m_prompt = false;
        if (byte == kEscape) {
            m_buffer.clear();
            m_overflow = false;
            AssemblerStep step;
            step.completion = Completion::kTextCancelled;
            return step;
        }
        return Complete(Completion::kText, Completion::kTextOverflow);
    }
    Append(byte, kMaxText);
    AssemblerStep step;
    step.echo = true;
    return step;
}

}  // namespace modemsim
