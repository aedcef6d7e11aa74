#include "panel/LLDialog.h"

#include "resources/BinaryData.h"

LooplineDialog::LooplineDialog()
{
    for (auto* toggle : {&topLeftToggle, &topRightToggle, &bottomLeftToggle, &bottomRightToggle})
        addAndMakeVisible(*toggle);
}

LooplineDialog::~LooplineDialog() = default;

void LooplineDialog::clearLLConnections()
{
    topRightToggle.setToggleState(false, juce::dontSendNotification);
    topLeftToggle.setToggleState(false, juce::dontSendNotification);
    bottomLeftToggle.setToggleState(false, juce::dontSendNotification);
    bottomRightToggle.setToggleState(false, juce::dontSendNotification);

    connectionPaths.clear(true);

    for (auto* nodes : {&inputNodes, &outputNodes, &loopNodes})
        for (auto* node : *nodes)
            node->selected = false;

    repaint();
    resized();
}

juce::Array<juce::Image> cutLooplineArtworkPieces()
{
    const auto allOff = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_18,
                                                        DEDEVUZIZ::temp_binary_data_18Size);
    const auto allOn = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_19,
                                                       DEDEVUZIZ::temp_binary_data_19Size);
    struct Piece
    {
        juce::Rectangle<int> area;
        const juce::Image& source;
    };
    const Piece pieces[] = {
        {{182, 73, 47, 30}, allOn},   {{182, 73, 47, 30}, allOff},   {{356, 73, 47, 30}, allOn},
        {{99, 159, 18, 18}, allOn},   {{22, 390, 155, 31}, allOn},   {{22, 390, 155, 31}, allOff},
        {{189, 390, 155, 31}, allOn}, {{189, 390, 155, 31}, allOff},
    };

    juce::Array<juce::Image> cut;
    for (const auto& piece : pieces)
        cut.add(piece.source.isValid() ? piece.source.getClippedImage(piece.area) : juce::Image());
    return cut;
}
