#include "modemsim/at/commands.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/start_up.h"

namespace modemsim {

namespace {

const CommandEntry* FindEntry(const std::string& name) {
    for (const auto* group :
         {&BasicCommands(), &NetworkCommands(), &EquipmentCommands(), &SimCommands(),
          &SmsSettingCommands(), &SmsMessageCommands(), &SmsStorageCommands()}) {
        const auto found =
            std::find_if(group->begin(), group->end(),
                         [&](const CommandEntry& entry) { return name == entry.name; });
        if (found != group->end()) {
            return &*found;
        }
    }
    return nullptr;
}

Handler HandlerFor(const CommandEntry& entry, CommandForm form) {
    switch (form) {
        case CommandForm::kExec:
            return entry.exec;
        case CommandForm::kRead:
            return entry.read;
        case CommandForm::kTest:
            return entry.test;
        case CommandForm::kSet:
            return entry.set;
    }
    return nullptr;
}

// "AT" in the set stands for a line without commands.
bool IsRefused(const Faults& faults, const std::vector<AtCommand>& commands) {
    const std::set<std::string>& refused = faults.errorCommands;
    if (commands.empty()) {
        return refused.count("AT") != 0;
    }
    return std::any_of(commands.begin(), commands.end(),
                       [&](const AtCommand& command) { return refused.count(command.name) != 0; });
}

Reply Run(ModemState& state, const AtCommand& command) {
    const CommandEntry* entry = FindEntry(command.name);
    const Handler handler = entry != nullptr ? HandlerFor(*entry, command.form) : nullptr;
    if (handler == nullptr) {
        return Reply::Error();
    }
    std::optional<Reply> refused = Refusal(state, entry->needs);
    return refused ? std::move(*refused) : handler(state, command);
}

// The reports that follow a command's OK ("+CPIN: READY") come after the whole line's.
Reply RunCommands(ModemState& state, const std::vector<AtCommand>& commands) {
    std::string info;
    std::string after;
    std::string later;
    for (const AtCommand& command : commands) {
        Reply reply = Run(state, command);
        info += reply.info;
        after += reply.after;
        later += reply.later;
        if (reply.final != FinalCode::kOk) {
            reply.info = info;
            reply.after = after;
            reply.later = later;
            return reply;
        }
    }
    Reply reply = Reply::Ok(info);
    reply.after = after;
    reply.later = later;
    return reply;
}

}  // namespace

std::optional<Reply> ExecuteLine(ModemState& state, std::string_view line) {
    if (!HasAtPrefix(line)) {
        return std::nullopt;
    }
    const std::optional<std::vector<AtCommand>> commands = ParseCommandLine(line);
    if (state.faults.errorAll || !commands || IsRefused(state.faults, *commands)) {
        return Reply::Error();
    }
    // The mode as the line leaves it: "AT+CMEE=1;+CFUN=9" already reports the number.
    Reply reply = RunCommands(state, *commands);
    return WithErrorMode(std::move(reply), state.settings.errorMode);
}

bool IsKnownCommand(const std::string& name) {
    return FindEntry(name) != nullptr;
}

Reply Supported(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok();
}

}  // namespace modemsim
