// GoogleTest main for tests that need JUCE's message loop and real windows.
//
// The suite runs inside a JUCEApplication: only a standalone application gets
// JUCE's non-fatal X error handler, and without it an X error under Xvfb can
// kill the process. Each process gets a fresh HOME so no test touches the
// real home directory or sees another test's settings file, and its own
// Xvfb (unless K71_TEST_USE_DISPLAY is set) so parallel tests never share a
// pointer or keyboard focus.
#include "support/Backend.h"
#include "support/PrivateXServer.h"
#include "widgets/PanelTypeface.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{
class TestApplication : public juce::JUCEApplication
{
  public:
    const juce::String getApplicationName() override { return "k71_tests"; }
    // The panel shows the running application's version in its About window.
    const juce::String getApplicationVersion() override { return K71_VERSION; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise(const juce::String&) override
    {
        // The fonts the panel sees.
        findPanelTypeface();
        juce::MessageManager::callAsync(
            [this]
            {
                const int result = RUN_ALL_TESTS();
                setApplicationReturnValue(result);
                quit();
                // A test that pumps the loop (a nested dispatch inside this message) leaves
                // JUCE's Linux run loop believing this dispatch found nothing, so it would go
                // back to waiting for an event that never comes. Taking the quit message in a
                // nested dispatch of our own lets the outer loop see it and end. On a loaded
                // machine other messages can stand before it for longer than one round, so
                // the rounds go on until it has come (false), within a bound.
                auto* messageManager = juce::MessageManager::getInstance();
                for (int round = 0; round < 200 && messageManager->runDispatchLoopUntil(50);
                     ++round)
                {
                }
            });
    }

    void shutdown() override {}
    void anotherInstanceStarted(const juce::String&) override {}
};

std::string makeTemporaryHome()
{
    const char* base = std::getenv("K71_TEST_TMP");
    std::string root = base != nullptr ? base : "/tmp";
    const std::string mkdirCommand = "mkdir -p '" + root + "'";
    if (std::system(mkdirCommand.c_str()) != 0)
        root = "/tmp";
    std::string pattern = root + "/home-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        std::abort();
    return pattern;
}

void removeTree(const std::string& path)
{
    const std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", path.c_str());
}
} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    k71test::prepareBackend();

    // Listing needs no display and no application.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    const std::string home = makeTemporaryHome();
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const std::string runtimeDir = home + "/run";
    const std::string mkdirRuntime = "mkdir -m 0700 '" + runtimeDir + "'";
    if (std::system(mkdirRuntime.c_str()) == 0)
        setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);

    k71test::PrivateXServer xServer;
    if (std::getenv("K71_TEST_USE_DISPLAY") == nullptr)
    {
        if (!xServer.start())
        {
            fprintf(stderr, "could not start Xvfb for the test process\n");
            return 1;
        }
        setenv("DISPLAY", xServer.display().c_str(), 1);
    }

    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase*
    { return new TestApplication(); };
    const char** args = const_cast<const char**>(argv);
    const int result = juce::JUCEApplicationBase::main(argc, args);

    xServer.stop();
    if (std::getenv("K71_KEEP_TEST_HOME") == nullptr)
        removeTree(home);
    return result;
}
