// The web server's library and the TLS libraries behind it are mapped by the first server that
// starts, not by every console at start-up.

#if ARX_WEB_REMOTE

#include "remote/WebServer.h"

#include <gtest/gtest.h>

namespace arx
{
namespace
{

int freePort()
{
    juce::StreamingSocket probe;
    return probe.createListener (0, "127.0.0.1") ? probe.getBoundPort() : 0;
}

bool mapsWebLibrary()
{
    return juce::File ("/proc/self/maps").loadFileAsString().contains ("libwebsockets");
}

struct IgnoredEvents : WebServer::Events
{
    void opened (int) override {}
    void received (int, std::string) override {}
    void closed (int) override {}
};

TEST (WebServerLibrary, IsMappedOnlyOnceAServerStartsAndThenServes)
{
    ASSERT_FALSE (mapsWebLibrary());

    WebServer::Options options;
    options.port = freePort();
    ASSERT_GT (options.port, 0);
    options.files["/index.html"] = { "<p>arx</p>", 10, "text/html" };
    IgnoredEvents events;
    WebServer server (options, events);
    juce::String error;
    ASSERT_TRUE (server.start (error)) << error;
    EXPECT_TRUE (mapsWebLibrary());

    juce::URL page ("http://127.0.0.1:" + juce::String (server.port()) + "/index.html");
    EXPECT_EQ (page.readEntireTextStream(), "<p>arx</p>");
    server.stop();
}

} // namespace
} // namespace arx

#endif
