// One JUCE GUI initialisation for the Win32 backend's tests: the test thread is the message
// thread, which the device list's messages go to.

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace
{
class JuceGuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { juce = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { juce.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> juce;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment (new JuceGuiEnvironment);
} // namespace
