#pragma once
// Pure readings of the modem's answers about its message storage (message_store.h), and of the
// message reports that the channel hands over (modemlink/message_reports.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quillet/message_store.h"
#include "quillet/message_text.h"

// "+CPMS: "SM",3,20,"SM",3,20,"ME",1,25": each storage once, names in upper case. Also the form
// without names (one storage, unnamed) and answers that name fewer than three.
std::optional<std::vector<StorageUse>> ParseStorageUse(const std::u16string& answer);

// "+CMGD: (1-20),(0-4)" or "+CMGD: (0,1,2,3)": the first and last index.
std::optional<IndexRange> ParseIndexRange(const std::u16string& answer);

// "+CNMI: 2,1,0,0,0": <mt>.
std::optional<std::int32_t> ParseArrivalMode(const std::u16string& answer);

// "+CMTI: "ME",3": where the message was stored. The name is upper case; an index must be
// 0..65535.
std::optional<SlotPlace> ParseStoredReport(const std::u16string& report);

// "+CMT: <sender>,<alpha>,<time>[,<long header>]" CR LF "<text>", read as a stored message's
// header and text are (read_answer.h). Nothing without a sender field.
struct RoutedMessage {
    std::u16string sender;
    ReceivedText text;
    std::u16string fingerprint;  // see slot_read.h
};
std::optional<RoutedMessage> ParseRoutedReport(const std::u16string& report);
