#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>
#include <unistd.h>

namespace k71test
{
// Standard error of this process, into a file that can be read meanwhile and
// after the capture.
class StandardErrorCapture
{
  public:
    StandardErrorCapture() : file(juce::File::createTempFile(".stderr"))
    {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        std::FILE* target = std::fopen(file.getFullPathName().toRawUTF8(), "w");
        dup2(fileno(target), STDERR_FILENO);
        std::fclose(target);
    }
    ~StandardErrorCapture()
    {
        restore();
        file.deleteFile();
    }
    // What was said so far; the capture goes on.
    juce::String textSoFar()
    {
        std::fflush(stderr);
        return file.loadFileAsString();
    }
    juce::String text()
    {
        restore();
        return file.loadFileAsString();
    }

  private:
    void restore()
    {
        if (saved < 0)
            return;
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        saved = -1;
    }
    juce::File file;
    int saved = -1;
};
} // namespace k71test
