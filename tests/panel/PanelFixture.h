#pragma once

// A panel in a real window on the (private) desktop, the simulated platform
// reset around each test, and readable descriptions of what the panel did to
// the virtual K71 VT.
#include "panel/MainComponent.h"
#include "platform/simulated/VirtualK71VT.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace k71test
{
using Lines = std::vector<std::string>;

// "attach", "monitoring on", "monitoring off", "status 05 20" (flag byte and
// rate code); anything else as hex. Checks every byte, the report type, id
// and length.
std::string describeReport(const sim::HidReport& report);
Lines reportLines();

// "in vold/inpt/1 = -12.25", "out nsrt/****/0 = 48000", "dev mute/outp/0 = 1":
// in, out or dev (one device for both directions) by object, 0 for none.
std::string describeWrite(const sim::PropertyWrite& write);
Lines writeLines();

juce::File settingsFile();

class PanelInWindow : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Plugs the interface and waits until the panel has handled the attach
    // and everything it caused has settled.
    void attach(const sim::InterfaceConfig& config = sim::InterfaceConfig::standard());
    void detach();
    // Waits until no device notification is pending and no read-back is due.
    void settle();
    // Clicks the button as the user would, through the framework's click.
    void click(juce::Button& button);
    void deletePanel();
    // Clicks "Con", "Copy" and monitoring on an attached panel.
    void chooseConCopyAndMonitoring();

    std::unique_ptr<juce::DocumentWindow> window;
    MainComponent* panel = nullptr;
};
} // namespace k71test
