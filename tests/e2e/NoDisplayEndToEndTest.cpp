// The program started where no X server answers.
#include "PanelSession.h"

#include "ipc/LocalSocket.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <unistd.h>

namespace
{
struct NoDisplayCase
{
    const char* name;
    std::string display; // empty: DISPLAY unset
    std::string tried;   // the display the message names
};

void PrintTo(const NoDisplayCase& c, std::ostream* out)
{
    *out << c.name;
}

// The entries of ours in the folder of the program's endpoints and lock.
std::vector<std::string> runtimeEntries()
{
    std::vector<std::string> names;
    for (const auto& entry : juce::File(ipc::localsocket::endpointFolder("K71VT"))
                                 .findChildFiles(juce::File::findFilesAndDirectories, false))
        if (entry.getFileName().startsWith("K71VT"))
            names.push_back(entry.getFileName().toStdString());
    return names;
}

class NoDisplay : public testing::TestWithParam<NoDisplayCase>
{
};

TEST_P(NoDisplay, SaysWhichDisplayItTriedAndEndsWithNothingLeftBehind)
{
    const auto& c = GetParam();
    // Other X servers on the machine (other tests' own) may answer at the display tried, or
    // start to while the program runs: as root it always runs where none can, with a network
    // and a /tmp/.X11-unix of its own.
    std::string where;
    if (geteuid() == 0)
        where = "unshare --net --mount sh -c 'mount -t tmpfs none /tmp/.X11-unix && exec \"$0\"' ";
    else if (auto* answering = XOpenDisplay(c.tried.c_str()))
    {
        XCloseDisplay(answering);
        GTEST_SKIP() << "an X server answers at " << c.tried
                     << " and only root can hide it from the program";
    }
    ASSERT_EQ(runtimeEntries(), std::vector<std::string>{});

    const auto errors = juce::File::createTempFile("stderr");
    const std::string display = c.display.empty() ? "-u DISPLAY" : "DISPLAY=" + c.display;
    const auto output = e2e::run("env " + display + " " + where + K71_PROGRAM_PATH + " 2>'" +
                                 errors.getFullPathName().toStdString() + "'; echo \"status $?\"");
    EXPECT_EQ(output, "status 1\n");
    EXPECT_EQ(errors.loadFileAsString().toStdString(),
              "K71VT: cannot open the X display \"" + c.tried + "\"\n");
    EXPECT_EQ(runtimeEntries(), std::vector<std::string>{});
    errors.deleteFile();
}

INSTANTIATE_TEST_SUITE_P(Displays, NoDisplay,
                         testing::Values(NoDisplayCase{"NoServerThere", ":987", ":987"},
                                         NoDisplayCase{"Unset", "", ":0.0"}),
                         [](const testing::TestParamInfo<NoDisplayCase>& info)
                         { return info.param.name; });
} // namespace
