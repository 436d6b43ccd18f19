// The simulated modem's reading of what a terminal types, over arbitrary bytes: the line
// assembler, the command-line parser, the argument splitter and whole sessions of the modem.
//
// Checked: completed lines and texts within their bounds and free of the bytes that end or edit
// them; a parsed line that, written out again, parses to the same commands; arguments that join
// back into the text they came from; names that normalise to themselves; and a session whose
// answers do not depend on how the bytes were chunked.
//
// Input: byte 0 chooses the chunking of the rest for the session (chunks.h).

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chunks.h"
#include "fuzz_check.h"
#include "modemsim/at/at_syntax.h"
#include "modemsim/at/modem_session.h"
#include "modemsim/at/modem_state.h"

namespace {

using namespace modemsim;

constexpr char kBackspace = '\x08';

bool Has(const std::string& text, char byte) {
    return text.find(byte) != std::string::npos;
}

bool StartsCaseless(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

std::string Render(const std::vector<AtArg>& args) {
    std::string text;
    for (std::size_t i = 0; i < args.size(); ++i) {
        text += i == 0 ? "" : ",";
        text += args[i].quoted ? "\"" + args[i].text + "\"" : args[i].text;
    }
    return text;
}

void CheckArgs(std::string_view text) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(text);
    if (!args) {
        return;
    }
    Require(Render(*args) == text, "arguments join back into their text");
    for (const AtArg& arg : *args) {
        Require(!Has(arg.text, '"'), "an argument holds no quote");
        if (const std::optional<long> number = ToNumber(arg)) {
            const bool digits = std::all_of(arg.text.begin(), arg.text.end(),
                                            [](char c) { return c >= '0' && c <= '9'; });
            Require(!arg.quoted && digits && !arg.text.empty() &&
                        arg.text.size() <= kMaxDecimalDigits && *number == std::stol(arg.text),
                    "a number is one to nine plain digits");
        }
    }
}

std::string Suffix(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::kExec:
            return command.args;
        case CommandForm::kRead:
            return "?";
        case CommandForm::kTest:
            return "=?";
        case CommandForm::kSet:
            return "=" + command.args;
    }
    return {};
}

bool SameCommands(const std::vector<AtCommand>& a, const std::vector<AtCommand>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].form != b[i].form || a[i].args != b[i].args) {
            return false;
        }
    }
    return true;
}

void CheckCommand(const AtCommand& command, bool last) {
    Require(!command.name.empty(), "a command has a name");
    for (const char c : command.name) {
        Require(std::islower(static_cast<unsigned char>(c)) == 0, "names are upper-cased");
    }
    if (command.name[0] == '+') {
        Require(command.name.size() > 1, "an extended name has more than its '+'");
    } else {
        Require(command.form == CommandForm::kExec, "a basic command has no other form");
        Require(command.name != "D" || last, "D takes the rest of the line");
    }
    if (command.form == CommandForm::kExec && command.name != "D") {
        Require(NormaliseCommandName(command.name) == command.name, "a parsed name is normal");
    }
    if (command.form == CommandForm::kSet) {
        CheckArgs(command.args);
    }
}

void CheckLine(std::string_view line) {
    const std::optional<std::vector<AtCommand>> commands = ParseCommandLine(line);
    if (const std::optional<std::string> name = NormaliseCommandName(line)) {
        Require(NormaliseCommandName(*name) == name, "a normal name stays normal");
    }
    if (!commands) {
        return;
    }
    Require(HasAtPrefix(line), "only AT lines parse");
    std::string again = "AT";
    for (std::size_t i = 0; i < commands->size(); ++i) {
        const AtCommand& command = (*commands)[i];
        CheckCommand(command, i + 1 == commands->size());
        again += (i == 0 ? "" : ";") + command.name + Suffix(command);
    }
    const std::optional<std::vector<AtCommand>> reparsed = ParseCommandLine(again);
    Require(reparsed && SameCommands(*commands, *reparsed), "a parsed line written out parses so");
}

void CheckStep(const AssemblerStep& step, char byte, bool prompt) {
    switch (step.completion) {
        case Completion::kNone:
            break;
        case Completion::kLine:
            Require(!prompt && byte == '\r', "a CR ends a command line");
            Require(step.text.size() <= LineAssembler::kMaxLine, "a line keeps its bound");
            Require(!Has(step.text, '\r') && !Has(step.text, '\n') && !Has(step.text, kBackspace),
                    "a line holds no CR, LF or backspace");
            break;
        case Completion::kText:
            Require(prompt && byte == kCtrlZ, "Ctrl-Z ends a message text");
            Require(step.text.size() <= LineAssembler::kMaxText, "a text keeps its bound");
            Require(
                !Has(step.text, kCtrlZ) && !Has(step.text, kEscape) && !Has(step.text, kBackspace),
                "a text holds no Ctrl-Z, ESC or backspace");
            break;
        case Completion::kTextCancelled:
            Require(prompt && byte == kEscape, "ESC cancels a message text");
            break;
        case Completion::kLineOverflow:
        case Completion::kTextOverflow:
            Require(step.text.empty(), "an overflowed line or text is dropped");
            break;
    }
}

// The assembler alone; it collects a text after each line that starts a message, as the
// session makes it do after the prompt.
void CheckAssembler(std::string_view bytes) {
    LineAssembler assembler;
    for (const char byte : bytes) {
        const bool prompt = assembler.InPrompt();
        const AssemblerStep step = assembler.Push(byte);
        CheckStep(step, byte, prompt);
        if (step.completion == Completion::kLine) {
            CheckLine(step.text);
            if (StartsCaseless(step.text, "AT+CMGS")) {
                assembler.EnterPrompt();
            }
        }
    }
}

// A modem with a read and an unread message, so reading and deleting find something.
ModemState StartingState() {
    ModemState state;
    state.storage.Put(1, StoredSms{"+8613912345678", "hello", "26/12/06,10:15:00+32", true});
    state.storage.Put(2, StoredSms{"10086", "\xE4\xB8\xAD", "26/12/06,10:16:00+32", false});
    return state;
}

std::string Session(Chunks chunks, std::vector<SentSms>& outbox) {
    ModemState state = StartingState();
    ModemSession session;
    std::string said;
    const std::uint8_t* bytes = nullptr;
    std::size_t count = 0;
    while (chunks.Next(bytes, count)) {
        const std::string_view chunk(reinterpret_cast<const char*>(bytes), count);
        for (const Output& output : session.Feed(state, chunk)) {
            Require(!output.bytes.empty(), "nothing empty is written");
            if (output.kind != OutputKind::kEcho) {
                Require(output.bytes.rfind("\r\n", 0) == 0, "an answer starts with CR LF");
            }
            said += output.bytes;
        }
    }
    Require(state.outbox.size() <= kOutboxLimit, "the outbox keeps its bound");
    outbox = state.outbox;
    return said;
}

bool SameOutbox(const std::vector<SentSms>& a, const std::vector<SentSms>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].destination != b[i].destination || a[i].text != b[i].text ||
            a[i].reference != b[i].reference || a[i].pdu != b[i].pdu) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckLine(bytes);
    CheckArgs(bytes);
    CheckAssembler(bytes);
    std::vector<SentSms> chunkedOutbox;
    std::vector<SentSms> wholeOutbox;
    const std::string chunked = Session(Chunks(data[0], data + 1, size - 1), chunkedOutbox);
    const std::string whole = Session(Chunks(7, data + 1, size - 1), wholeOutbox);
    Require(chunked == whole, "the modem says the same however the bytes were chunked");
    Require(SameOutbox(chunkedOutbox, wholeOutbox), "and sends the same messages");
    return 0;
}
