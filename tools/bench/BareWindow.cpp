// The yardstick of the start-up benchmark: the smallest JUCE program with a
// window, built from the same JUCE as the panel. One DocumentWindow with a
// native title bar, one label as its content, nothing else.
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class BareWindowApplication : public juce::JUCEApplication
{
  public:
    const juce::String getApplicationName() override { return "BareWindow"; }
    const juce::String getApplicationVersion() override { return "1.0"; }

    void initialise(const juce::String&) override
    {
        // In the order of JUCE's own application template.
        window = std::make_unique<Window>();
        window->setUsingNativeTitleBar(true);
        auto* label = new juce::Label({}, "A bare JUCE window");
        label->setSize(320, 290);
        window->setContentOwned(label, true);
        window->centreWithSize(320, 290);
        window->setVisible(true);
    }

    void shutdown() override { window.reset(); }

  private:
    struct Window : juce::DocumentWindow
    {
        Window() : juce::DocumentWindow("BareWindow", juce::Colours::lightgrey, allButtons) {}
        void closeButtonPressed() override { juce::JUCEApplication::quit(); }
    };

    std::unique_ptr<Window> window;
};
} // namespace

START_JUCE_APPLICATION(BareWindowApplication)
