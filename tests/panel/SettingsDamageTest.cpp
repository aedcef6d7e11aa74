// A damaged, oversized or unwritable settings file, and the leftovers of
// interrupted saves, as the panel meets them when it starts.
#include "PanelFixture.h"

#include "panel/SettingsFileCare.h"
#include "panel/SettingsKeys.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <string>

#include <unistd.h>

using namespace k71test;
using testing::HasSubstr;

namespace
{
std::string entries(int count)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                      "  <VALUE name=\"MON\" val=\"true\"/>\n";
    for (int index = 1; index < count; ++index)
        xml += "  <VALUE name=\"KEY" + std::to_string(index) + "\" val=\"x\"/>\n";
    return xml + "</PROPERTIES>\n";
}

std::string bytesOf(const juce::File& file)
{
    juce::MemoryBlock data;
    file.loadFileAsData(data);
    return std::string(static_cast<const char*>(data.getData()), data.getSize());
}

void write(const juce::File& file, const std::string& bytes)
{
    ASSERT_TRUE(file.getParentDirectory().createDirectory());
    if (bytes.empty())
    {
        ASSERT_TRUE(file.deleteFile() && file.create());
    }
    else
    {
        ASSERT_TRUE(file.replaceWithData(bytes.data(), bytes.size()));
    }
}

juce::File keptAside(const juce::String& reason, int number)
{
    return juce::File(settingsFile().getFullPathName() + "." + reason + "-" + juce::String(number));
}

int lineCount(const std::string& text)
{
    return (int)std::count(text.begin(), text.end(), '\n');
}

class SettingsDamage : public PanelInWindow
{
  protected:
    void TearDown() override
    {
        restarted.reset();
        PanelInWindow::TearDown();
    }

    // Starts the panel again over the settings folder as the test left it;
    // what it said on stderr meanwhile.
    std::string restartPanel()
    {
        deletePanel();
        restarted.reset();
        testing::internal::CaptureStderr();
        restarted = std::make_unique<MainComponent>();
        return testing::internal::GetCapturedStderr();
    }

    juce::PropertiesFile& restartedSettings()
    {
        return *restarted->appProperties.getUserSettings();
    }

    std::unique_ptr<MainComponent> restarted;
};

struct Damage
{
    const char* name;
    std::string bytes;
    const char* keptAs; // the reason in the kept file's name
};

void PrintTo(const Damage& damage, std::ostream* out)
{
    *out << damage.name;
}

const Damage damages[] = {
    {"Truncated",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n  <VALUE name=\"MON\" val=\"tr",
     "unreadable"},
    {"TruncatedAfterAnEntry", "<PROPERTIES>\n  <VALUE name=\"MON\" val=\"true\"/>\n", "unreadable"},
    {"Garbage", std::string("\x01\x7f\xff\xfe garbage <<<\0>>>", 20), "unreadable"},
    {"WrongRoot", "<SETTINGS><VALUE name=\"MON\" val=\"true\"/></SETTINGS>", "unreadable"},
    {"Empty", "", "unreadable"},
    {"TooManyEntries", entries(mostReadableSettingsEntries + 1), "too-large"},
    {"TooManyBytes",
     "<PROPERTIES><VALUE name=\"MON\" val=\"true\"/><VALUE name=\"BIG\" val=\"" +
         std::string((size_t)largestReadableSettingsFile, 'x') + "\"/></PROPERTIES>",
     "too-large"},
};
} // namespace

class SettingsDamageCases : public SettingsDamage, public testing::WithParamInterface<Damage>
{
};

TEST_P(SettingsDamageCases, IsKeptAsideBeforeANewFileIsWrittenAndSaidOnce)
{
    const auto& damage = GetParam();
    write(settingsFile(), damage.bytes);

    const auto said = restartPanel();

    EXPECT_EQ(lineCount(said), 1) << said;
    EXPECT_THAT(said, HasSubstr(keptAside(damage.keptAs, 1).getFullPathName().toStdString()));
    EXPECT_EQ(restartedSettings().getAllProperties().size(), 0);
    EXPECT_EQ(restartedSettings().getValue(settingskeys::monitoring, "false"), "false");
    EXPECT_FALSE(settingsFile().exists());

    restartedSettings().setValue(settingskeys::monitoring, "true");
    restarted.reset();
    const auto stored = juce::parseXML(settingsFile());
    ASSERT_NE(stored, nullptr);
    ASSERT_NE(stored->getChildByAttribute("name", "MON"), nullptr);
    EXPECT_EQ(stored->getChildByAttribute("name", "MON")->getStringAttribute("val"), "true");
    EXPECT_TRUE(bytesOf(keptAside(damage.keptAs, 1)) == damage.bytes);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsDamageCases, testing::ValuesIn(damages),
                         [](const testing::TestParamInfo<Damage>& info)
                         { return std::string(info.param.name); });

TEST_F(SettingsDamage, ReadableFilesStayAndLoadInSilence)
{
    for (const auto& bytes :
         {std::string("<PROPERTIES><VALUE name=\"MON\" val=\"true\"/>"
                      "<VALUE name=\"KEY_OF_A_NEWER_VERSION\" val=\"kept\"/></PROPERTIES>"),
          entries(mostReadableSettingsEntries)})
    {
        write(settingsFile(), bytes);
        EXPECT_EQ(restartPanel(), "");
        EXPECT_EQ(restartedSettings().getValue(settingskeys::monitoring), "true");
        EXPECT_EQ(bytesOf(settingsFile()), bytes);
        EXPECT_EQ(settingsFile().getParentDirectory().getNumberOfChildFiles(
                      juce::File::findFilesAndDirectories),
                  1);
    }
}

TEST_F(SettingsDamage, OnlyTheNewestFewDamagedFilesAreKept)
{
    for (int start = 1; start <= keptAsideSettingsFiles + 2; ++start)
    {
        write(settingsFile(), "damaged " + std::to_string(start));
        restartPanel();
    }
    for (int number = 1; number <= keptAsideSettingsFiles; ++number)
        EXPECT_EQ(bytesOf(keptAside("unreadable", number)),
                  "damaged " + std::to_string(keptAsideSettingsFiles + 3 - number));
    EXPECT_FALSE(keptAside("unreadable", keptAsideSettingsFiles + 1).exists());
}

TEST_F(SettingsDamage, LeftoversOfInterruptedSavesAreRemovedAndNothingElse)
{
    const auto folder = settingsFile().getParentDirectory();
    write(settingsFile(), entries(2));
    const auto outside = folder.getSiblingFile("outside.settings");
    write(outside, "not ours to remove");

    struct Entry
    {
        const char* name;
        enum Kind
        {
            file,
            folder,
            link,
            foreignFile
        } kind;
        bool removed;
    };
    const Entry table[] = {
        {"K71 VT_temp1a2b3c4d.settings", Entry::file, true},
        {"K71 VT_tempDEADBEEF.settings", Entry::file, true},
        {"K71 VT_temp0.settings", Entry::file, true},
        {"K71 VT_temp.settings", Entry::file, false},
        {"K71 VT_tempnotanumber.settings", Entry::file, false},
        {"K71 VT_temp12.settings.bak", Entry::file, false},
        {"Other_temp12.settings", Entry::file, false},
        {"K71 VT_temp99.settings", Entry::folder, false},
        {"K71 VT_temp77.settings", Entry::link, false},
        {"K71 VT_temp55.settings", Entry::foreignFile, false},
    };
    const bool asRoot = ::geteuid() == 0;
    for (const auto& entry : table)
    {
        const auto path = folder.getChildFile(entry.name);
        if (entry.kind == Entry::folder)
        {
            ASSERT_TRUE(path.createDirectory());
        }
        else if (entry.kind == Entry::link)
        {
            ASSERT_TRUE(outside.createSymbolicLink(path, false));
        }
        else
        {
            write(path, "partial");
        }
        // Only root can hand a file to another user.
        if (entry.kind == Entry::foreignFile && asRoot)
        {
            ASSERT_EQ(::chown(path.getFullPathName().toRawUTF8(), 65534, 65534), 0);
        }
    }

    EXPECT_EQ(restartPanel(), "");

    for (const auto& entry : table)
    {
        if (entry.kind == Entry::foreignFile && !asRoot)
            continue;
        const auto path = folder.getChildFile(entry.name);
        EXPECT_NE(path.exists() || path.isSymbolicLink(), entry.removed) << entry.name;
    }
    EXPECT_EQ(bytesOf(outside), "not ours to remove");
    EXPECT_EQ(bytesOf(settingsFile()), entries(2));
}

TEST_F(SettingsDamage, AnUnwritableLocationIsSaidOnceAndThePanelRunsOn)
{
    const auto folder = settingsFile().getParentDirectory();
    struct Place
    {
        const char* name;
        std::function<void()> make;
        const char* said;
        bool sayable; // root writes into read-only folders
    };
    const Place places[] = {
        {"the file is a folder", [] { ASSERT_TRUE(settingsFile().createDirectory()); },
         "is a folder", true},
        {"its folder is a file", [&] { write(folder, "a file"); }, "which is not a folder", true},
        {"its folder is read-only",
         [&]
         {
             write(settingsFile(), entries(2));
             ASSERT_TRUE(folder.setReadOnly(true));
         },
         "which cannot be written", ::geteuid() != 0},
    };
    for (const auto& place : places)
    {
        SCOPED_TRACE(place.name);
        folder.setReadOnly(false);
        folder.deleteRecursively();
        folder.deleteFile();
        place.make();

        const auto said = restartPanel();
        if (place.sayable)
        {
            EXPECT_EQ(lineCount(said), 1) << said;
            EXPECT_THAT(said, HasSubstr("settings cannot be saved"));
            EXPECT_THAT(said, HasSubstr(place.said));
        }
        else
        {
            EXPECT_EQ(said, "");
        }
        restartedSettings().setValue(settingskeys::monitoring, "true");
        EXPECT_EQ(restartedSettings().getValue(settingskeys::monitoring), "true");
        restarted.reset();
    }
    folder.setReadOnly(false);
}
