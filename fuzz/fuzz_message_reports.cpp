// Message reports over arbitrary modem text: the channel's report lines (modemlink/
// message_reports.h) and what the message program reads of them and of its storage answers
// (quillet/storage_answers.h), then fed to an inbox over an empty storage.
//
// Checked: a report is the same however the text was cut into reads; each report is a whole
// "+CMTI:" line or a "+CMT:" header with one text line; parsed storages are sane; the inbox shows
// each routed message at most once and never hangs.
//
// Input: byte 0 sets the read size (1-64 bytes); every later byte is one UTF-16 unit (0-255).

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "modemlink/message_reports.h"
#include "quillet/inbox.h"
#include "quillet/slot_read.h"
#include "quillet/storage_answers.h"

namespace {

// Nothing stored: every read finds an empty slot, every command is answered at once.
class EmptyStore : public MessageStore {
public:
    void Read(std::int32_t, SlotRead& read) override { read.answer = SlotAnswer::kEmpty; }
    bool Delete(std::int32_t) override { return true; }
    std::optional<std::vector<StorageUse>> Usage() override {
        return std::vector<StorageUse>{{u"SM", 0, 20}};
    }
    bool SelectForReading(const std::u16string&) override { return true; }
    std::optional<IndexRange> Indices() override { return IndexRange{1, 20}; }
    bool AnnouncesArrivals() override { return true; }
    void AcknowledgeRouted() override {}
    bool FellSilent() const override { return false; }
};

std::vector<MessageReport> InReads(const std::u16string& text, std::size_t size) {
    ReportLines lines;
    std::vector<MessageReport> reports;
    for (std::size_t at = 0; at < text.size(); at += size) {
        for (MessageReport& report : lines.Add(text.substr(at, size), platform::TimePoint{})) {
            reports.push_back(std::move(report));
        }
    }
    return reports;
}

void CheckReport(const MessageReport& report) {
    const std::u16string& text = report.text;
    if (report.kind != MessageReportKind::kStored && report.kind != MessageReportKind::kRouted) {
        Require(text.find(u'\n') == std::u16string::npos, "a state or call report is one line");
        return;
    }
    const bool stored = report.kind == MessageReportKind::kStored;
    Require(text.compare(0, stored ? 6 : 5, stored ? u"+CMTI:" : u"+CMT:") == 0,
            "a report starts with its prefix");
    const std::size_t lineEnd = text.find(u'\n');
    Require(stored ? lineEnd == std::u16string::npos
                   : lineEnd != std::u16string::npos && text.find(u'\n', lineEnd + 1) == text.npos,
            "a stored report is one line, a routed one its header and one text line");
    if (stored) {
        if (const std::optional<SlotPlace> place = ParseStoredReport(text)) {
            Require(place->index >= 0 && place->index <= 65535, "an index in range");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t readSize = 1 + data[0] % 64;
    const std::u16string text(data + 1, data + size);
    const std::vector<MessageReport> whole = InReads(text, text.size() + 1);
    const std::vector<MessageReport> cut = InReads(text, readSize);
    Require(whole.size() == cut.size(), "as many reports however the text was cut");
    for (std::size_t i = 0; i < whole.size(); ++i) {
        Require(whole[i].text == cut[i].text, "the same reports however the text was cut");
        CheckReport(whole[i]);
    }
    for (const MessageReport& report : MessageReportsInAnswer(text)) {
        CheckReport(report);
    }
    if (const std::optional<std::vector<StorageUse>> uses = ParseStorageUse(text)) {
        Require(!uses->empty() && uses->size() <= 3, "one to three storages");
        for (const StorageUse& use : *uses) {
            Require(use.used >= 0 && use.used <= use.total && use.name.size() <= 8,
                    "a storage's counts and name are sane");
        }
    }
    EmptyStore store;
    Inbox inbox(store);
    std::set<std::u16string> routed;  // fingerprints
    std::size_t routedReports = 0;
    std::size_t shown = 0;
    for (const MessageReport& report : whole) {
        if (report.kind == MessageReportKind::kStored) {
            inbox.Announced(report.text);
        } else if (report.kind == MessageReportKind::kRouted) {
            inbox.Routed(report.text, platform::TimePoint{});
            ++routedReports;
            if (const std::optional<RoutedMessage> message = ParseRoutedReport(report.text)) {
                routed.insert(message->fingerprint);
            }
        }
    }
    for (int poll = 0; poll < 70; ++poll) {
        inbox.Poll([&](const std::u16string&, const std::u16string&) { ++shown; },
                   platform::TimePoint{} + std::chrono::minutes(poll * 10));
    }
    // A resend is recognised among the last 16 routed messages.
    Require(shown <= routedReports && (routedReports > 16 || shown <= routed.size()),
            "a routed message is shown at most once");
    return 0;
}
