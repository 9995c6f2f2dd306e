#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <string>

// The output of a render while it is being written: a hidden temporary file
// beside the final name, created fresh (never an existing file), that replaces
// the final name in one rename only when everything was written and synced.
// Until then the final name is untouched, whatever it held before, and a
// failure, an exception or an interrupting signal removes the temporary file.
//
// When the final name is a symbolic link, the file it points to is replaced,
// so the link keeps working.
class PendingOutputFile final
{
public:
    // Main thread. Creates the temporary file for `targetPath`; on failure
    // returns a one-line reason and leaves `result` empty.
    static std::string create (const std::string& targetPath, std::unique_ptr<PendingOutputFile>& result);

    // Main thread. Removes the temporary file unless it was committed.
    ~PendingOutputFile();

    // Main thread. A stream that writes the temporary file from its start;
    // its failures are remembered here. Ask for it once.
    std::unique_ptr<juce::OutputStream> createStream();

    // Main thread. Syncs the file to disk and moves it to the final name.
    // Every stream from createStream() must have been destroyed. Returns a
    // one-line reason on failure (the temporary file is then removed).
    std::string commit();

    // Main thread. Gives up: removes the temporary file and returns the
    // one-line reason, naming the recorded write error if there was one and
    // `otherwise` if not.
    std::string abandon (const std::string& otherwise);

    // Main thread. Where the data goes until commit().
    const std::string& temporaryPath() const noexcept { return tempPath; }

private:
    PendingOutputFile (int fd, std::string tempPath, std::string finalPath, std::string shownName, mode_t mode);
    void discard();

    int fd;
    const std::string tempPath;
    const std::string finalPath;
    const std::string shownName;   // the name as the user gave it
    const mode_t mode;
    std::shared_ptr<int> failure = std::make_shared<int> (0);
    bool finished = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PendingOutputFile)
};
