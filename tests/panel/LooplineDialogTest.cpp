#include "panel/LLDialog.h"
#include "resources/BinaryData.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class RecordingPath : public TavrinLLConnectionPath
{
  public:
    RecordingPath(int id, std::vector<int>& deleted)
        : TavrinLLConnectionPath({0.0f, 0.0f}, {10.0f, 10.0f}), id(id), deleted(deleted)
    {
    }
    ~RecordingPath() override { deleted.push_back(id); }

  private:
    int id;
    std::vector<int>& deleted;
};

class CountingDialog : public LooplineDialog
{
  public:
    void resized() override { ++layouts; }
    int layouts = 0;
};

class ToggleWatcher : public juce::Button::Listener
{
  public:
    void buttonClicked(juce::Button*) override { ++calls; }
    void buttonStateChanged(juce::Button*) override { ++calls; }
    int calls = 0;
};
} // namespace

TEST(LooplineDialog, ClearSilencesTogglesDeletesPathsLastFirstAndDeselectsNodes)
{
    CountingDialog dialog;
    ToggleWatcher watcher;
    for (auto* toggle : {&dialog.topLeftToggle, &dialog.topRightToggle, &dialog.bottomLeftToggle,
                         &dialog.bottomRightToggle})
    {
        toggle->setToggleState(true, juce::dontSendNotification);
        toggle->addListener(&watcher);
    }

    std::vector<int> deleted;
    for (int id = 1; id <= 3; ++id)
        dialog.connectionPaths.add(new RecordingPath(id, deleted));
    for (auto* nodes : {&dialog.inputNodes, &dialog.outputNodes, &dialog.loopNodes})
        for (int n = 0; n < 2; ++n)
            nodes->add(new TavrinLLButton("node"))->selected = true;
    const int layoutsBefore = dialog.layouts;

    dialog.clearLLConnections();

    for (auto* toggle : {&dialog.topLeftToggle, &dialog.topRightToggle, &dialog.bottomLeftToggle,
                         &dialog.bottomRightToggle})
        EXPECT_FALSE(toggle->getToggleState());
    EXPECT_EQ(watcher.calls, 0);
    EXPECT_EQ(deleted, (std::vector<int>{3, 2, 1}));
    EXPECT_TRUE(dialog.connectionPaths.isEmpty());
    for (auto* nodes : {&dialog.inputNodes, &dialog.outputNodes, &dialog.loopNodes})
    {
        ASSERT_EQ(nodes->size(), 2);
        for (auto* node : *nodes)
            EXPECT_FALSE(node->selected);
    }
    EXPECT_EQ(dialog.layouts, layoutsBefore + 1);

    for (auto* toggle : {&dialog.topLeftToggle, &dialog.topRightToggle, &dialog.bottomLeftToggle,
                         &dialog.bottomRightToggle})
        toggle->removeListener(&watcher);
}

TEST(LooplineDialog, ClearOnAnEmptyDialogOnlyResetsTogglesAndLayout)
{
    CountingDialog dialog;
    dialog.topRightToggle.setToggleState(true, juce::dontSendNotification);
    dialog.clearLLConnections();
    EXPECT_FALSE(dialog.topRightToggle.getToggleState());
    EXPECT_EQ(dialog.layouts, 1);
}

TEST(LooplineArtwork, EightPiecesOfTheMatrixPictures)
{
    const auto allOff = juce::ImageFileFormat::loadFrom(DEDEVUZIZ::temp_binary_data_18,
                                                        (size_t)DEDEVUZIZ::temp_binary_data_18Size);
    const auto allOn = juce::ImageFileFormat::loadFrom(DEDEVUZIZ::temp_binary_data_19,
                                                       (size_t)DEDEVUZIZ::temp_binary_data_19Size);
    struct Piece
    {
        juce::Rectangle<int> area;
        bool fromAllOn;
    };
    const Piece expected[] = {
        {{182, 73, 47, 30}, true},   {{182, 73, 47, 30}, false},   {{356, 73, 47, 30}, true},
        {{99, 159, 18, 18}, true},   {{22, 390, 155, 31}, true},   {{22, 390, 155, 31}, false},
        {{189, 390, 155, 31}, true}, {{189, 390, 155, 31}, false},
    };
    const auto pieces = cutLooplineArtworkPieces();
    ASSERT_EQ(pieces.size(), 8);
    for (int i = 0; i < 8; ++i)
    {
        SCOPED_TRACE(i);
        const auto& piece = expected[i];
        const auto& source = piece.fromAllOn ? allOn : allOff;
        const auto& other = piece.fromAllOn ? allOff : allOn;
        EXPECT_TRUE(k71test::showsPartOf(pieces[i], source, piece.area));
        EXPECT_FALSE(k71test::showsPartOf(pieces[i], other, piece.area));
    }
}
