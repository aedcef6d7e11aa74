#include "panel/SettingsFileCare.h"

#include <cstdio>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
void say(const juce::String& text)
{
    std::fputs(("K71VT: " + text + "\n").toRawUTF8(), stderr);
    std::fflush(stderr);
}

enum class Readability
{
    readable,
    unreadable,
    tooLarge
};

// Judged as the framework's load would, bounded in what it reads; only the
// XML form is the panel's own.
Readability readabilityOf(const juce::File& file)
{
    if (file.getSize() > largestReadableSettingsFile)
        return Readability::tooLarge;
    const auto document = juce::parseXMLIfTagMatches(file, "PROPERTIES");
    if (document == nullptr)
        return Readability::unreadable;
    return document->getNumChildElements() > mostReadableSettingsEntries ? Readability::tooLarge
                                                                         : Readability::readable;
}

bool isOwnRegularFile(const juce::File& file)
{
    struct stat info;
    return ::lstat(file.getFullPathName().toRawUTF8(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_uid == ::geteuid();
}

// What the framework's saves leave behind when the program dies mid-write:
// the file's name, "_temp", a hexadecimal number and the file's extension.
bool isLeftoverOfSave(const juce::File& candidate, const juce::File& settingsFile)
{
    const auto prefix = settingsFile.getFileNameWithoutExtension() + "_temp";
    const auto extension = settingsFile.getFileExtension();
    const auto name = candidate.getFileName();
    if (!name.startsWith(prefix) || !name.endsWith(extension))
        return false;
    const auto number = name.substring(prefix.length(), name.length() - extension.length());
    return number.isNotEmpty() && number.containsOnly("0123456789abcdefABCDEF");
}

void removeLeftoversOfSaves(const juce::File& settingsFile)
{
    const auto folder = settingsFile.getParentDirectory();
    if (!folder.isDirectory())
        return;
    const auto pattern =
        settingsFile.getFileNameWithoutExtension() + "_temp*" + settingsFile.getFileExtension();
    for (const auto& leftover : folder.findChildFiles(juce::File::findFiles, false, pattern))
        if (isLeftoverOfSave(leftover, settingsFile) && isOwnRegularFile(leftover))
            leftover.deleteFile();
}

// Renames the file to "<file>.<reason>-1", moving the ones kept before one
// number up and dropping the oldest; the new name, or none when the rename
// failed.
std::optional<juce::File> keepAside(const juce::File& settingsFile, const juce::String& reason)
{
    const auto keptAs = [&](int number) {
        return juce::File(settingsFile.getFullPathName() + "." + reason + "-" +
                          juce::String(number));
    };
    keptAs(keptAsideSettingsFiles).deleteFile();
    for (int number = keptAsideSettingsFiles - 1; number >= 1; --number)
        if (keptAs(number).existsAsFile())
            keptAs(number).moveFileTo(keptAs(number + 1));
    const auto newest = keptAs(1);
    if (!settingsFile.moveFileTo(newest))
        return std::nullopt;
    return newest;
}

void setAside(const juce::File& settingsFile, const juce::String& reason,
              const juce::String& finding)
{
    const auto aside = keepAside(settingsFile, reason);
    say("the settings file " + settingsFile.getFullPathName() + " " + finding +
        (aside ? "; it is kept as " + aside->getFullPathName()
               : juce::String(" and could not be renamed aside")) +
        ", and the panel starts with factory settings");
}

// Why nothing can be saved at the file's place, or "" when it can.
juce::String whyUnwritable(const juce::File& settingsFile)
{
    if (settingsFile.isDirectory())
        return "is a folder";
    // The framework creates the missing folders below the nearest existing one.
    auto existing = settingsFile.getParentDirectory();
    while (!existing.exists() && existing != existing.getParentDirectory())
        existing = existing.getParentDirectory();
    if (!existing.isDirectory())
        return "lies below " + existing.getFullPathName() + ", which is not a folder";
    if (::access(existing.getFullPathName().toRawUTF8(), W_OK | X_OK) != 0)
        return "lies in " + existing.getFullPathName() + ", which cannot be written";
    return {};
}
} // namespace

bool prepareSettingsFile(const juce::File& settingsFile)
{
    removeLeftoversOfSaves(settingsFile);

    if (settingsFile.existsAsFile())
    {
        const auto readability = readabilityOf(settingsFile);
        if (readability == Readability::tooLarge)
            setAside(settingsFile, "too-large", "holds far more than this program writes");
        else if (readability == Readability::unreadable)
            setAside(settingsFile, "unreadable", "cannot be read");
    }

    const auto why = whyUnwritable(settingsFile);
    if (why.isEmpty())
        return true;
    say("settings cannot be saved: " + settingsFile.getFullPathName() + " " + why +
        "; the panel runs on, but its changes are not kept");
    return false;
}

SettingsSaver::~SettingsSaver()
{
    if (watched != nullptr)
        watched->removeChangeListener(this);
}

void SettingsSaver::watch(juce::ApplicationProperties& properties, bool alreadySaid)
{
    if (watched != nullptr)
        watched->removeChangeListener(this);
    watched = properties.getUserSettings();
    delayMs = properties.getStorageParameters().millisecondsBeforeSaving;
    failureSaid = alreadySaid;
    watched->addChangeListener(this);
}

bool SettingsSaver::saveNow()
{
    if (watched == nullptr)
        return true;
    stopTimer();
    if (watched->saveIfNeeded())
    {
        failureSaid = false;
        return true;
    }
    if (!failureSaid)
    {
        const auto why = whyUnwritable(watched->getFile());
        say("the settings could not be saved: " + watched->getFile().getFullPathName() +
            (why.isNotEmpty() ? " " + why : juce::String()) +
            "; the panel keeps them and tries again at its next save");
        failureSaid = true;
    }
    return false;
}

void SettingsSaver::changeListenerCallback(juce::ChangeBroadcaster*)
{
    // Restarted by each change, as the framework's own wait is; a framework
    // save that succeeded meanwhile leaves nothing to write.
    if (delayMs > 0)
        startTimer(delayMs);
    else if (delayMs == 0)
        saveNow();
}

void SettingsSaver::timerCallback()
{
    saveNow();
}
