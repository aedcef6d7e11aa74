#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// Content of the About dialog: the About picture with the program's name and
// version written over it, a close button and an invisible web link.
class AboutWindow : public juce::Component, public juce::Button::Listener
{
  public:
    AboutWindow();
    ~AboutWindow() override;

    void paint(juce::Graphics& g) override;
    void buttonClicked(juce::Button* button) override;

    juce::String versionText;
    juce::Point<int> textPosition;
    juce::Image aboutPicture;
    std::unique_ptr<juce::ImageButton> closeButton;
    std::unique_ptr<juce::HyperlinkButton> webLink;

  private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AboutWindow)
};

// The About dialog around a window: hidden, not resizable, with a native
// title bar, Escape pressing its close button. The dialog owns the window.
// It is not on the desktop: whoever shows it adds it first.
std::unique_ptr<juce::DialogWindow> createAboutDialog(AboutWindow* aboutWindow);
