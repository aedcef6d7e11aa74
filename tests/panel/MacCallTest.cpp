#include "panel/mac_call.h"

#include <gtest/gtest.h>

namespace
{
class AudioSettingsCommand : public testing::Test
{
  protected:
    void TearDown() override { setCommandRunner({}); }
};
} // namespace

TEST_F(AudioSettingsCommand, TriesTheProgramsInOrderUntilOneStarts)
{
    juce::StringArray tried;
    setCommandRunner(
        [&](const juce::StringArray& command)
        {
            tried.add(command.joinIntoString(" "));
            return command[0] == "pwvucontrol";
        });
    EXPECT_EQ(openAudioSettingsApplication(), "pwvucontrol");
    EXPECT_EQ(tried, juce::StringArray({"pavucontrol", "pwvucontrol"}));

    tried.clear();
    setCommandRunner(
        [&](const juce::StringArray& command)
        {
            tried.add(command.joinIntoString(" "));
            return false;
        });
    EXPECT_EQ(openAudioSettingsApplication(), "");
    EXPECT_EQ(tried,
              juce::StringArray({"pavucontrol", "pwvucontrol", "gnome-control-center sound"}));
}

TEST(DetachedCommand, StartsAnInstalledProgramAndRefusesAMissingOrBrokenOne)
{
    EXPECT_TRUE(startDetachedCommand({"true"}));
    EXPECT_TRUE(startDetachedCommand({"/bin/sh", "-c", "exit 3"}));
    EXPECT_FALSE(startDetachedCommand({"k71-no-such-program-anywhere"}));
    EXPECT_FALSE(startDetachedCommand({}));

    // Present but not a program the kernel can run.
    const auto notAProgram = juce::File::createTempFile(".k71");
    ASSERT_TRUE(notAProgram.replaceWithText("plain text\n"));
    ASSERT_TRUE(notAProgram.setExecutePermission(true));
    EXPECT_FALSE(startDetachedCommand({notAProgram.getFullPathName()}));
    notAProgram.deleteFile();
}
