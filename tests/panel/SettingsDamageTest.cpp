// A damaged, oversized or unwritable settings file, and the leftovers of
// interrupted saves, as the panel meets them when it starts; saves that fail
// while it runs.
#include "PanelFixture.h"
#include "StandardErrorCapture.h"

#include "panel/SettingsFileCare.h"
#include "panel/SettingsKeys.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <string>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>
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
        // Its saves fail as foretold, unsaid once more.
        StandardErrorCapture quit;
        restarted.reset();
        EXPECT_EQ(quit.text().toStdString(), "");
    }
    folder.setReadOnly(false);
}

namespace
{
// A way the settings folder stops taking files while the panel runs.
struct Blocking
{
    const char* name;
    std::function<std::string()> impossibleBecause; // for this user; "" when possible
    std::function<void(const juce::File& folder)> block;
    std::function<void(const juce::File& folder)> unblock;
};

void PrintTo(const Blocking& blocking, std::ostream* out)
{
    *out << blocking.name;
}

juce::File asideOf(const juce::File& folder)
{
    return folder.getSiblingFile(folder.getFileName() + ".aside");
}

const Blocking blockings[] = {
    {"AFileInPlaceOfTheFolder", [] { return std::string(); },
     [](const juce::File& folder)
     {
         ASSERT_TRUE(folder.moveFileTo(asideOf(folder)));
         write(folder, "not a folder");
     },
     [](const juce::File& folder)
     {
         ASSERT_TRUE(folder.deleteFile());
         ASSERT_TRUE(asideOf(folder).moveFileTo(folder));
     }},
    {"AReadOnlyFolder",
     [] { return std::string(::geteuid() == 0 ? "root writes into read-only folders" : ""); },
     [](const juce::File& folder) { ASSERT_TRUE(folder.setReadOnly(true)); },
     [](const juce::File& folder) { ASSERT_TRUE(folder.setReadOnly(false)); }},
    // Read-only for root too: a bind mount seen only by this (the message)
    // thread, in a mount namespace of its own that shares nothing back.
    {"AReadOnlyBindMount",
     []
     {
         if (::unshare(CLONE_NEWNS) != 0 ||
             ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
             return "no private mount namespace here: " + std::string(std::strerror(errno));
         return std::string();
     },
     [](const juce::File& folder)
     {
         const auto path = folder.getFullPathName().toStdString();
         ASSERT_EQ(::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr), 0);
         ASSERT_EQ(
             ::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
     },
     [](const juce::File& folder)
     { ASSERT_EQ(::umount2(folder.getFullPathName().toRawUTF8(), 0), 0); }},
};

int linesContaining(const juce::String& text, const juce::String& part)
{
    int count = 0;
    for (const auto& line : juce::StringArray::fromLines(text))
        count += line.contains(part) ? 1 : 0;
    return count;
}
} // namespace

class SettingsSaveFailures : public SettingsDamage, public testing::WithParamInterface<Blocking>
{
};

TEST_P(SettingsSaveFailures, AreSaidOnceKeepTheValuesAndTheOldFileTillTheFolderIsBack)
{
    const auto& blocking = GetParam();
    if (const auto why = blocking.impossibleBecause(); !why.empty())
        GTEST_SKIP() << why;
    const auto folder = settingsFile().getParentDirectory();
    const auto path = settingsFile().getFullPathName();
    const std::string old = "<PROPERTIES><VALUE name=\"MON\" val=\"false\"/></PROPERTIES>";
    write(settingsFile(), old);
    restartPanel();
    auto& settings = restartedSettings();
    auto& saver = restarted->settingsSaver;
    StandardErrorCapture said;
    struct Unblock
    {
        ~Unblock()
        {
            if (blocked)
                blocking.unblock(folder);
        }
        const Blocking& blocking;
        const juce::File& folder;
        bool blocked = false;
    } unblock{blocking, folder};

    blocking.block(folder);
    unblock.blocked = true;
    // The save that follows a change, then two more.
    settings.setValue(settingskeys::monitoring, "true");
    ASSERT_TRUE(pumpUntil([&] { return said.textSoFar().contains(path); }, 20000));
    settings.setValue(settingskeys::consumerFormat, "true");
    EXPECT_FALSE(saver.saveNow());
    EXPECT_FALSE(saver.saveNow());

    EXPECT_EQ(settings.getValue(settingskeys::monitoring), "true");
    EXPECT_EQ(settings.getValue(settingskeys::consumerFormat), "true");
    blocking.unblock(folder);
    unblock.blocked = false;
    EXPECT_EQ(bytesOf(settingsFile()), old);
    EXPECT_EQ(linesContaining(said.textSoFar(), path), 1) << said.textSoFar();

    EXPECT_TRUE(saver.saveNow());
    const auto saved = bytesOf(settingsFile());
    const auto stored = juce::parseXML(juce::String(saved));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->getChildByAttribute("name", "MON")->getStringAttribute("val"), "true");
    EXPECT_EQ(stored->getChildByAttribute("name", "PRO_CON")->getStringAttribute("val"), "true");

    // After that success, the failing save at quit is said again.
    blocking.block(folder);
    unblock.blocked = true;
    settings.setValue(settingskeys::copyPermitted, "true");
    restarted.reset();
    blocking.unblock(folder);
    unblock.blocked = false;
    EXPECT_EQ(bytesOf(settingsFile()), saved);
    EXPECT_EQ(linesContaining(said.text(), path), 2);
}

INSTANTIATE_TEST_SUITE_P(Folders, SettingsSaveFailures, testing::ValuesIn(blockings),
                         [](const testing::TestParamInfo<Blocking>& info)
                         { return std::string(info.param.name); });
