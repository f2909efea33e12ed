// The X server for the whole binary: $DISPLAY when there is one, else an Xvfb of our own
// (bare xvfb-run has been seen to end JUCE windows with an X error).

#include "e2e/ConsoleE2eTest.h"

namespace arx::e2e
{
namespace
{
std::string problem;

class XServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        auto logs = juce::File (ConsoleRig::buildDir()).getChildFile ("e2e-logs");
        logs.createDirectory();
        std::string error;
        if (! server.ensure (logs.getFullPathName().toStdString(), error))
            problem = "no X server: " + error;
    }

    void TearDown() override { server.stop(); }

private:
    XServer server;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment (new XServerEnvironment);
} // namespace

const std::string& xServerProblem()
{
    return problem;
}

} // namespace arx::e2e
