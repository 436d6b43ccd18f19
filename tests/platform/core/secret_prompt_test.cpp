// The secret question's seam: what a form takes, and what reaches the caller whatever answers.

#include "platform/core/secret_prompt.h"

#include <gtest/gtest.h>

#include <iterator>

#include "scripted_secrets.h"

namespace {

using platform::SecretFit;
using platform::SecretForm;

TEST(SecretPrompt, FormTakesItsCharactersAndLengthsOnly) {
    const SecretForm pin{4, 8, true};
    const SecretForm word{1, 4, false};
    const SecretForm none{6, 4, true};  // shortest past longest
    const struct {
        SecretForm form;
        std::u16string input;
        SecretFit fit;
    } rows[] = {
        {pin, u"", SecretFit::kUnfinished},
        {pin, u"123", SecretFit::kUnfinished},
        {pin, u"1234", SecretFit::kAcceptable},
        {pin, u"12345678", SecretFit::kAcceptable},
        {pin, u"123456789", SecretFit::kRefused},
        {pin, u"12a", SecretFit::kRefused},  // refused before it is long enough
        {pin, u" 1234", SecretFit::kRefused},
        {pin, u"\uFF11\uFF12\uFF13\uFF14", SecretFit::kRefused},  // full-width digits
        {word, u"aB3!", SecretFit::kAcceptable},
        {word, u"\u4E2D\u6587", SecretFit::kAcceptable},
        {word, u"a\tb", SecretFit::kRefused},
        {word, u"a\nb", SecretFit::kRefused},
        {word, u"\x7F", SecretFit::kRefused},
        {word, u"abcde", SecretFit::kRefused},
        {none, u"1234", SecretFit::kUnfinished},
        {none, u"12345", SecretFit::kRefused},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(platform::FitOf(rows[i].form, rows[i].input), rows[i].fit) << "row " << i;
    }
}

TEST(SecretPrompt, WithoutAnAnswererEveryQuestionIsCancelled) {
    EXPECT_FALSE(platform::AskSecret({u"SIM", u"PIN", {}}).has_value());
}

// The scripted answers come in order and each prompt is kept as asked; an answer that does not
// fit the form never reaches the caller, and the previous answerer comes back with the scope.
TEST(SecretPrompt, AnswersComeInOrderAndOnlyIfTheyFit) {
    ScriptedSecrets outer;
    outer.answers = {u"1234"};
    {
        ScriptedSecrets script;
        script.answers = {u"0000", std::nullopt, u"12ab", u"123"};
        const platform::SecretPrompt prompt{
            u"SIM", u"Enter the PIN\n3 attempts left", {4, 8, true}};
        EXPECT_EQ(platform::AskSecret(prompt), std::optional<std::u16string>(u"0000"));
        for (int cancelled = 0; cancelled < 4; ++cancelled) {  // cancel, letters, short, past end
            EXPECT_FALSE(platform::AskSecret(prompt).has_value()) << cancelled;
        }
        ASSERT_EQ(script.prompts.size(), 5u);
        EXPECT_EQ(script.prompts[0].caption, u"SIM");
        EXPECT_EQ(script.prompts[0].text, u"Enter the PIN\n3 attempts left");
        EXPECT_EQ(script.prompts[0].form.maxLength, 8u);
    }
    EXPECT_EQ(platform::AskSecret({u"SIM", u"PIN", {}}), std::optional<std::u16string>(u"1234"));
    EXPECT_EQ(outer.prompts.size(), 1u);
}

}  // namespace
