#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

// Gives every label the largest whole font height, from 20 down, at which the
// widest value "-63.5 dB" fits the label's width, so equal labels show equal sizes.
class TavrindBLabelLookAndFeel : public juce::LookAndFeel_V4
{
  public:
    TavrindBLabelLookAndFeel();
    ~TavrindBLabelLookAndFeel() override = default;

    juce::Font getLabelFont(juce::Label& label) override;

  private:
    juce::Font referenceFont;
    juce::String referenceText;
    // Height of the last completed fit, readable without the message-manager
    // lock while a fit rewrites referenceFont.
    std::atomic<float> lastFittedHeight{8.0f};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TavrindBLabelLookAndFeel)
};
