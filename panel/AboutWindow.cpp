#include "panel/AboutWindow.h"

#include "resources/BinaryData.h"

namespace
{
juce::String composeVersionText()
{
    juce::String text("K71VT");
    text << " v";
    if (auto* application = juce::JUCEApplicationBase::getInstance())
        text << application->getApplicationVersion();
    return text;
}
} // namespace

AboutWindow::AboutWindow()
    : closeButton(std::make_unique<juce::ImageButton>(juce::String())),
      // Given its address at construction: assigning a URL later copies an
      // empty memory block through a null pointer inside the framework.
      webLink(std::make_unique<juce::HyperlinkButton>(juce::String(),
                                                      juce::URL("https://www.example.com/113")))
{
    versionText = composeVersionText();
    textPosition = {285, 181};

    aboutPicture = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_6,
                                                   DEDEVUZIZ::temp_binary_data_6Size);
    setSize(aboutPicture.getWidth(), aboutPicture.getHeight());

    const auto closeNormal = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_7,
                                                             DEDEVUZIZ::temp_binary_data_7Size);
    const auto closeHover = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_8,
                                                            DEDEVUZIZ::temp_binary_data_8Size);
    closeButton->setImages(true, true, true, closeNormal, 1.0f, juce::Colours::transparentWhite,
                           closeHover, 1.0f, juce::Colours::transparentWhite, closeHover, 1.0f,
                           juce::Colours::transparentBlack);
    closeButton->setTopLeftPosition(116, 171);
    closeButton->addListener(this);
    addAndMakeVisible(*closeButton);

    webLink->setBounds(67, 143, 140, 16);
    addAndMakeVisible(*webLink);
}

AboutWindow::~AboutWindow()
{
    closeButton->removeListener(this);
    closeButton.reset();
    webLink.reset();
}

void AboutWindow::paint(juce::Graphics& g)
{
    g.setColour(juce::Colours::grey);
    g.drawRect(getLocalBounds().toFloat(), 1.0f);

    if (aboutPicture.isValid())
        g.drawImageAt(aboutPicture, 0, 0);

    g.drawFittedText(versionText, textPosition.x, textPosition.y, 200, 20,
                     juce::Justification::left, 1);
}

void AboutWindow::buttonClicked(juce::Button* button)
{
    if (button != closeButton.get())
        return;

    if (auto* dialog = findParentComponentOfClass<juce::DialogWindow>())
        dialog->exitModalState(0);
}

std::unique_ptr<juce::DialogWindow> createAboutDialog(AboutWindow* aboutWindow)
{
    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = "About K71VT";
    options.content.setOwned(aboutWindow);
    options.componentToCentreAround = nullptr;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = false;
    options.useBottomRightCornerResizer = false;
    const auto contentWidth = aboutWindow->getWidth();
    const auto contentHeight = aboutWindow->getHeight();
    std::unique_ptr<juce::DialogWindow> dialog(options.create());
    // The dialog fits its content before it switches to the native title bar,
    // which leaves the room of its own title bar and frame around the picture.
    dialog->setContentComponentSize(contentWidth, contentHeight);
    // Switching to the native title bar brings the new native window to the
    // front, which on X11 maps it although the dialog is hidden; unmap it so
    // the dialog only shows when the About command runs it.
    if (auto* peer = dialog->getPeer(); peer != nullptr && !dialog->isVisible())
        peer->setVisible(false);
    return dialog;
}
