// The modem's answers about its storages, and the message reports, as the inbox reads them.

#include <gtest/gtest.h>

#include "platform/core/codepage.h"
#include "quillet/read_answer.h"
#include "quillet/storage_answers.h"

namespace {

std::string Uses(const std::optional<std::vector<StorageUse>>& uses) {
    if (!uses) {
        return "none";
    }
    std::string text;
    for (const StorageUse& use : *uses) {
        text += platform::Utf16ToUtf8(use.name) + ":" + std::to_string(use.used) + "/" +
                std::to_string(use.total) + " ";
    }
    return text;
}

TEST(StorageAnswers, StorageUseNamesEachStorageOnce) {
    const struct {
        std::u16string answer;
        std::string uses;
    } rows[] = {
        {u"\r\n+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20\r\n\r\nOK\r\n", "SM:3/20 "},
        {u"\r\n+CPMS: \"SM\",0,20,\"SM\",0,20,\"ME\",1,25\r\n\r\nOK\r\n", "SM:0/20 ME:1/25 "},
        {u"+CPMS: \"me\",0,25,\"me\",0,25,\"sm\",0,20\r\n", "ME:0/25 SM:0/20 "},
        {u"+CPMS: 0,255,0,255,0,255\r\n", ":0/255 "},
        {u"+CPMS: \"SM\",3,20\r\n", "SM:3/20 "},
        {u"+CPMS: \"SM\",21,20\r\n", "none"},
        {u"+CPMS: \"SM\",x,20\r\n", "none"},
        {u"+CPMS: \"SMSMSMSMSMSM\",1,20\r\n", "none"},
        {u"+CPMS: \"SM,1,20\r\n", "none"},
        {u"+CPMS: \"SM\",1,999999\r\n", "none"},
        {u"OK\r\n", "none"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Uses(ParseStorageUse(row.answer)), row.uses) << platform::Utf16ToUtf8(row.answer);
    }
}

TEST(StorageAnswers, IndexRangeArrivalModeAndStoredReport) {
    const auto range = [](const std::u16string& answer) {
        const std::optional<IndexRange> found = ParseIndexRange(answer);
        return found ? std::to_string(found->first) + "-" + std::to_string(found->last) : "none";
    };
    EXPECT_EQ(range(u"+CMGD: (1-20),(0-4)\r\n"), "1-20");
    EXPECT_EQ(range(u"+CMGD: (0-19),(0-4)\r\n"), "0-19");
    EXPECT_EQ(range(u"+CMGD: (0,1,2,5)\r\n"), "0-5");
    EXPECT_EQ(range(u"+CMGD: (),(0-4)\r\n"), "none");
    EXPECT_EQ(ParseArrivalMode(u"+CNMI: 2,1,0,0,0\r\n"), 1);
    EXPECT_EQ(ParseArrivalMode(u"+CNMI: 2\r\n"), std::nullopt);
    const auto place = [](const std::u16string& report) {
        const std::optional<SlotPlace> found = ParseStoredReport(report);
        return found ? platform::Utf16ToUtf8(found->storage) + std::to_string(found->index)
                     : "none";
    };
    EXPECT_EQ(place(u"+CMTI: \"SM\",3"), "SM3");
    EXPECT_EQ(place(u"+CMTI: \"me\",0"), "ME0");
    EXPECT_EQ(place(u"+CMTI: 4"), "4");
    EXPECT_EQ(place(u"+CMTI: \"SM\",65536"), "none");
    EXPECT_EQ(place(u"+CMTI: \"SM\",21111111111"), "none");
    EXPECT_EQ(place(u"+CMTI: \"SM\","), "none");
    EXPECT_EQ(place(u"+CMTI: \"SM"), "none");
}

TEST(StorageAnswers, RoutedReportReadsAsAStoredMessage) {
    const std::u16string stamp = u",,\"26/12/06,21:30:00+32\"";
    const struct {
        std::u16string report;
        bool found;
        std::u16string sender;
        std::u16string text;
    } rows[] = {
        {u"+CMT: \"+8613912345678\"" + stamp + u"\r\nHello", true, u"+8613912345678", u"Hello"},
        {u"+CMT: \"10086\"" + stamp + u",129,4,0,8,\"+8613800200500\",145,4\r\n4F60597D", true,
         u"10086", u"\u4F60\u597D"},
        {u"+CMT: \"10086\"" + stamp + u"\r\n", true, u"10086", u""},
        {u"+CMT: \"10086\"" + stamp + u"\r\n" + std::u16string(u"a\0b", 3), true, u"10086", u"a@b"},
        {u"+CMT: ,23\r\n0791", false, u"", u""},
        {u"+CMTI: \"SM\",1", false, u"", u""},
    };
    for (const auto& row : rows) {
        const std::optional<RoutedMessage> message = ParseRoutedReport(row.report);
        ASSERT_EQ(message.has_value(), row.found) << platform::Utf16ToUtf8(row.report);
        if (message) {
            EXPECT_EQ(message->sender, row.sender);
            EXPECT_EQ(message->text.text, row.text);
        }
    }
}

// A message is what it is, whatever its status: read once as unread and again as read, it is
// the same message.
TEST(StorageAnswers, FingerprintLeavesTheStatusOut) {
    const auto fingerprint = [](const std::u16string& status) {
        const std::u16string answer = u"\r\n+CMGR: \"" + status +
                                      u"\",\"10086\",,\"26/12/06,21:30:00+32\"\r\nHi\r\n\r\nOK\r\n";
        return MessageFingerprint(answer, *LocateStoredMessage(answer));
    };
    EXPECT_EQ(fingerprint(u"REC UNREAD"), fingerprint(u"REC READ"));
    EXPECT_NE(fingerprint(u"REC READ").find(u"Hi"), std::u16string::npos);
}

}  // namespace
