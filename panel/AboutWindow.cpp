#include "panel/AboutWindow.h"

#include "resources/BinaryData.h"

#include <cstring>

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

// Width and height from a PNG's header, without decoding its pixels; 0 x 0
// when the data is no PNG.
juce::Rectangle<int> pngPixelSize(const void* data, size_t size)
{
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (size < 24 || std::memcmp(bytes, signature, sizeof signature) != 0 ||
        std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return {};
    auto bigEndian = [bytes](size_t at)
    { return (int)juce::ByteOrder::bigEndianInt(bytes + at) & 0x7fffffff; };
    return {bigEndian(16), bigEndian(20)};
}

juce::Image decodeAboutPicture()
{
    return juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_6,
                                           DEDEVUZIZ::temp_binary_data_6Size);
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

    // The picture is decoded when the window is first painted; until then
    // its header gives the window its size.
    const auto pictureSize =
        pngPixelSize(DEDEVUZIZ::temp_binary_data_6, (size_t)DEDEVUZIZ::temp_binary_data_6Size);
    setSize(pictureSize.getWidth(), pictureSize.getHeight());

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

    if (!aboutPicture.isValid())
        aboutPicture = decodeAboutPicture();
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
    // Switched on below, once the dialog is off the desktop: switching while
    // it has a native window makes a new one and maps it, hidden or not.
    options.useNativeTitleBar = false;
    options.resizable = false;
    options.useBottomRightCornerResizer = false;
    const auto contentWidth = aboutWindow->getWidth();
    const auto contentHeight = aboutWindow->getHeight();
    std::unique_ptr<juce::DialogWindow> dialog(options.create());
    // A hidden dialog has no native window, so it is neither mapped nor
    // painted nor woken by a repaint timer; it gets one when it is shown.
    dialog->removeFromDesktop();
    dialog->setUsingNativeTitleBar(true);
    // The dialog was fitted to its content with its own title bar and frame.
    dialog->setContentComponentSize(contentWidth, contentHeight);
    return dialog;
}
