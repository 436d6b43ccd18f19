// The pure pieces under the command table and the program: command-line syntax, arguments,
// escapes, time stamps, the program's options.

#include <gtest/gtest.h>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/sms_text.h"
#include "modemsim/console/run_mode.h"
#include "modemsim/trace/byte_escapes.h"

namespace {

using namespace modemsim;

// Commands as "NAME FORM ARGS|" for compact expectations; "syntax error" when rejected.
std::string Parsed(const std::string& line) {
    const auto commands = ParseCommandLine(line);
    if (!commands) {
        return "syntax error";
    }
    std::string text;
    for (const AtCommand& command : *commands) {
        const char* forms[] = {"exec", "read", "test", "set"};
        text +=
            command.name + " " + forms[static_cast<int>(command.form)] + " " + command.args + "|";
    }
    return text;
}

TEST(CommandLine, SplitsIntoCommands) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"AT", ""}, {"at+cmgf=1", "+CMGF set 1|"}, {"AT+CHUP", "+CHUP exec |"},
        {"ATE0V", "E exec 0|V exec |"}, {"AT&F", "&F exec |"},
        {"AT+CMGF=1;+CSCS=\"GSM\"", "+CMGF set 1|+CSCS set \"GSM\"|"},
        {"AT+CSCA=\"+86 138; 00\",145", "+CSCA set \"+86 138; 00\",145|"},
        {"AT + CMGF = 1", "+CMGF set 1|"}, {"ATD+123;", "D exec +123;|"},
        {"ATE1D123", "E exec 1|D exec 123|"}, {"AT+", "syntax error"},
        {"AT+CMGF?1", "syntax error"}, {"AT=1", "syntax error"}, {"ATS0=1", "syntax error"},
        {"XAT", "syntax error"}, {std::string("AT\0", 3), "syntax error"}};
    // clang-format on
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(Parsed(line), expected) << line;
    }
}

TEST(CommandLine, NormalisesNamesPeopleWrite) {
    // clang-format off
    const std::vector<std::pair<const char*, std::optional<std::string>>> cases = {
        {"+CMGS", "+CMGS"}, {"cmgs", "+CMGS"}, {"AT+cmgs", "+CMGS"}, {"atd", "D"}, {"AT", "AT"},
        {"&f", "&F"}, {"ATE0", "E"}, {"ATD123", "D"}, {"", std::nullopt}, {"+", std::nullopt},
        {"C MGF", std::nullopt}, {"AT+CMGF=1", std::nullopt}, {"ATE0H", "+E0H"},
        {"ATD+39;", std::nullopt}, {"\"x\"", std::nullopt}};
    // clang-format on
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(NormaliseCommandName(name), expected) << name;
    }
}

// Numbers are plain digits, short enough that no overflow is possible; quoted arguments may hold
// commas; a left-out argument is empty and unquoted.
TEST(Arguments, NumbersQuotedAndOmitted) {
    // clang-format off
    const std::vector<std::pair<std::string, std::optional<long>>> numbers = {
        {"0", 0}, {"007", 7}, {"999999999", 999999999}, {"", std::nullopt}, {"-1", std::nullopt},
        {" 1", std::nullopt}, {"1a", std::nullopt}, {"1234567890", std::nullopt}};
    // clang-format on
    for (const auto& [text, expected] : numbers) {
        EXPECT_EQ(ParseDecimal(text), expected) << text;
        EXPECT_EQ(ToNumber(AtArg{text, false}), expected) << text;
    }
    EXPECT_FALSE(ToNumber(AtArg{"1", true}));
    EXPECT_EQ(ParseDecimalIn("20", 1, 20), 20);
    EXPECT_FALSE(ParseDecimalIn("21", 1, 20) || ParseDecimalIn("0", 1, 20));
    const auto args = SplitArgs("\"+1,2\",145,,\"\"");
    ASSERT_TRUE(args && args->size() == 4u);
    EXPECT_EQ((*args)[0].text, "+1,2");
    EXPECT_TRUE((*args)[0].quoted && (*args)[2].Omitted() && !(*args)[3].Omitted());
    for (const char* bad : {"\"open", "\"a\"b", "a\"b\""}) {
        EXPECT_FALSE(SplitArgs(bad)) << bad;
    }
}

TEST(ByteEscapes, RoundTripAndRejectBadEscapes) {
    const std::string all = std::string("A\r\n\t\\\x1A\x1B\x7F\xFF", 9) + std::string(1, '\0');
    EXPECT_EQ(EscapeBytes(all), "A\\r\\n\\t\\\\\\z\\e\\x7F\\xFF\\0");
    EXPECT_EQ(UnescapeBytes(EscapeBytes(all)), all);
    EXPECT_EQ(UnescapeBytes("\\xab\\x0A"), std::string("\xAB\n"));
    for (const char* bad : {"\\", "\\q", "\\x", "\\x4", "\\x4G", "\\xZZ"}) {
        EXPECT_FALSE(UnescapeBytes(bad)) << bad;
    }
}

TEST(SmsTimestamp, FormatsCalendarEdges) {
    const std::vector<std::pair<long, const char*>> cases = {
        {0, "70/01/01,00:00:00+00"},
        {951782400, "00/02/29,00:00:00+00"},   // leap day of a century leap year
        {1709251199, "24/02/29,23:59:59+00"},  // last second of a leap day
        {4102444800, "00/01/01,00:00:00+00"},  // 2100: the two-digit year wraps
        {-1, "69/12/31,23:59:59+00"}};
    for (const auto& [epoch, expected] : cases) {
        EXPECT_EQ(SmsTimestamp(std::chrono::system_clock::time_point(std::chrono::seconds(epoch))),
                  expected)
            << epoch;
    }
}

TEST(ProgramOptions, AcceptsTheDocumentedFormsOnly) {
    std::string error;
    auto options = ParseProgramOptions(
        {"--link", "/tmp/m", "--ring-period", "50", "run", "prog", "--link", "x"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->linkPath, "/tmp/m");
    EXPECT_EQ(options->ringPeriodMs, 50);
    EXPECT_EQ(options->runCommand, (std::vector<std::string>{"prog", "--link", "x"}));
    // clang-format off
    const std::vector<std::vector<std::string>> bad = {
        {"--link"}, {"--link", ""}, {"--ring-period", "0"}, {"--ring-period", "4"},
        {"--ring-period", "600001"}, {"--ring-period", "-5"}, {"--network-delay", "1s"},
        {"--network-delay", "60001"}, {"run"}, {"--bogus"}};
    // clang-format on
    for (const auto& args : bad) {
        error.clear();
        EXPECT_FALSE(ParseProgramOptions(args, error)) << args[0] << " " << args.back();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
