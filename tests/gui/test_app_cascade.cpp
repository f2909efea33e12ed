// The cascade of console windows.

#include "app/WindowCascade.h"

#include <gtest/gtest.h>

#include <vector>

namespace arx
{
namespace
{

std::vector<juce::Point<int>> cascade (int windows, juce::Rectangle<int> area)
{
    std::vector<juce::Point<int>> result;
    auto p = firstCascadePosition (area);
    for (int i = 0; i < windows; ++i)
    {
        result.push_back (p);
        p = nextCascadePosition (p, area);
    }
    return result;
}

TEST (WindowCascade, StepsATenthOfTheWorkAreaAndWrapsAround)
{
    const juce::Rectangle<int> area (0, 0, 1000, 800);
    const auto positions = cascade (11, area);

    EXPECT_EQ (positions[0], juce::Point<int> (100, 80));
    EXPECT_EQ (positions[1], juce::Point<int> (200, 160));
    EXPECT_EQ (positions[2], juce::Point<int> (300, 240));
    EXPECT_EQ (positions[9], juce::Point<int> (0, 0)); // 1000 mod 1000, 800 mod 800
    EXPECT_EQ (positions[10], juce::Point<int> (100, 80));
}

TEST (WindowCascade, UsesIntegerDivisionAndSurvivesAnEmptyArea)
{
    // 1366 / 10 = 136, 768 / 10 = 76: the remainders are dropped at each step.
    const auto positions = cascade (3, { 0, 0, 1366, 768 });
    EXPECT_EQ (positions[2], juce::Point<int> (408, 228));

    // No display: no division by zero, windows stay where they are.
    EXPECT_EQ (nextCascadePosition ({ 5, 7 }, {}), juce::Point<int> (5, 7));
}

} // namespace
} // namespace arx
