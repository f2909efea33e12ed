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
    // Nor malformed UTF-8 that the parser reads as a double quote: a stray 0xA2, an overlong one.
    EXPECT_EQ (refusal ("{\"t\":\"a\xA2,\"x\":" + deep + "}"), "not UTF-8");
    EXPECT_EQ (refusal ("{\"t\":\"a\xC0\xA2,\"x\":" + deep + "}"), "not UTF-8");
    EXPECT_EQ (refusal ("{\"t\":\"open\",\"dev\":\"Caf\xC3\xA9 \xE2\x99\xAA \xF0\x9F\x8E\xA7\"}"), "taken");
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
    EXPECT_EQ (refusal ("{\"t\":\"list\",\"x\":" + std::string (20, '\xB9') + "}"), "not UTF-8"); // read as 9s
    // A minus sign makes the parser take the quote after it for a digit: the long number that
    // follows would be outside a string to it, inside one to the check.
    EXPECT_EQ (refusal ("{\"t\":-\",\"k\":-" + std::string (20, '1') + "-\"}"), "bad number");
    // A page's own numbers, however many decimals its arithmetic leaves.
    EXPECT_EQ (refusal (set + "-6.199999999999999}"), "taken");
    EXPECT_EQ (refusal (set + "-1.5e-7}"), "taken");
    EXPECT_EQ (refusal ("{\"t\":\"open\",\"dev\":\"12345678901234567890\"}"), "taken");
}

} // namespace
