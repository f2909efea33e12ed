// A web remote page's requests as the parser takes or refuses them.

#include "remote/RemoteMessage.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using arx::RemoteRequest;

std::string refusal (const std::string& text)
{
    juce::String error;
    const auto r = RemoteRequest::parse (text.data(), text.size(), error);
    return r ? "taken" : error.toStdString();
}

TEST (RemoteMessage, RefusesDeepNestingWhereverTheBracketsHide)
{
    const std::string deep = std::string (1500, '[') + std::string (1500, ']');
    EXPECT_EQ (refusal ("{\"t\":\"list\",\"x\":" + deep + "}"), "nesting");
    // The parser also reads single-quoted strings: a double quote inside one must not hide what follows.
    EXPECT_EQ (refusal ("{\"t\":'\"',\"x\":" + deep + "}"), "nesting");
    EXPECT_EQ (refusal ("{\"t\":'\\'\"',\"x\":" + deep + "}"), "nesting");
    // Brackets inside either kind of string are text.
    EXPECT_EQ (refusal ("{\"t\":\"open\",\"dev\":\"[[[[\"}"), "taken");
    EXPECT_EQ (refusal ("{\"t\":\"open\",\"dev\":'[[[\"['}"), "taken");
}

TEST (RemoteMessage, RefusesNumbersTooLongForTheParsersIntegers)
{
    const std::string set = "{\"t\":\"set\",\"dev\":\"d\",\"k\":\"pl\",\"a\":0,\"v\":";
    // Where the parser's integer part or exponent would overflow.
    EXPECT_EQ (refusal (set + "-99999999999999999999}"), "number too long");
    EXPECT_EQ (refusal (set + "1e99999999999}"), "number too long");
    EXPECT_EQ (refusal ("{\"t\":\"list\",\"x\":[12345678901234567890.5]}"), "number too long");
    // A page's own numbers, however many decimals its arithmetic leaves.
    EXPECT_EQ (refusal (set + "-6.199999999999999}"), "taken");
    EXPECT_EQ (refusal (set + "-1.5e-7}"), "taken");
    EXPECT_EQ (refusal ("{\"t\":\"open\",\"dev\":\"12345678901234567890\"}"), "taken");
}

} // namespace
