// Quitting the real program while the interface keeps it busy (a quit probe: its name
// holds "Quit"). Under the sanitizer builds a report ends the program with a non-zero
// status, so each round asks for a clean exit.
#include "PanelSession.h"

#include "platform/simulated/SimulatorChannel.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

namespace
{
const std::string title = "K71VT v" K71_VERSION;

// Changes the interface's rate back and forth as fast as the program answers, from
// its own thread, until destroyed.
class RateFlood
{
  public:
    RateFlood()
        : thread(
              [this]
              {
                  for (bool high = false; !stopping; high = !high)
                      if (sim::askSimulator("K71VT", high ? "rate 48000" : "rate 44100", 500))
                          ++changes;
              })
    {
    }

    ~RateFlood()
    {
        stopping = true;
        thread.join();
    }

    std::atomic<int> changes{0};

  private:
    std::atomic<bool> stopping{false};
    std::thread thread;
};

enum class QuitBy
{
    closeButton,
    closeMenuItem,
    interrupt,
};

void quit(QuitBy how, e2e::ProgramProcess& program, unsigned long window)
{
    switch (how)
    {
    case QuitBy::closeButton:
        e2e::requestClose(window);
        break;
    case QuitBy::closeMenuItem:
        // A loaded machine can make the menu miss a click; the exit is what counts.
        for (int attempt = 0; attempt < 3 && program.running(); ++attempt)
            if (e2e::chooseMenuItem(window, 0, true))
                break;
        break;
    case QuitBy::interrupt:
        program.sendSignal(SIGINT);
        break;
    }
}

// A race between the notification thread and the message thread ended three rounds
// of four of 400 changes each; this many rounds per kind of quit catch such a race.
constexpr int rounds = 4;
constexpr int changesBeforeQuit = 400;

class QuitUnderRateFlood : public testing::TestWithParam<QuitBy>
{
  protected:
    void SetUp() override
    {
        e2e::prepareDisplay();
        e2e::settingsFile().deleteFile();
    }
};

TEST_P(QuitUnderRateFlood, EndsCleanly)
{
    for (int round = 0; round < rounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        e2e::ProgramProcess program;
        ASSERT_TRUE(k71test::pumpUntil([] { return e2e::reports().size() >= 8; }, 30000));
        // Found only now: the window is made again when it takes the native title bar.
        unsigned long window = 0;
        ASSERT_TRUE(k71test::pumpUntil([&] { return (window = e2e::findWindow(title)) != 0; }));

        RateFlood flood;
        ASSERT_TRUE(k71test::pumpUntil([&] { return flood.changes >= changesBeforeQuit; }, 60000));
        quit(GetParam(), program, window);
        EXPECT_EQ(program.waitForExit(30000), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, QuitUnderRateFlood,
                         testing::Values(QuitBy::closeButton, QuitBy::closeMenuItem,
                                         QuitBy::interrupt),
                         [](const testing::TestParamInfo<QuitBy>& info)
                         {
                             switch (info.param)
                             {
                             case QuitBy::closeButton:
                                 return "CloseButton";
                             case QuitBy::closeMenuItem:
                                 return "CloseMenuItem";
                             case QuitBy::interrupt:
                                 break;
                             }
                             return "Interrupt";
                         });
} // namespace
