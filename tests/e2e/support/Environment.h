#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e
{
    // The complete environment of a child process. Children start from a small
    // known set rather than the test's own environment, so nothing from the
    // developer's session (DISPLAY, HOME, JACK or ALSA settings) leaks in.
    class Environment final
    {
    public:
        // Test thread: PATH, LANG and TMPDIR from this process, nothing else.
        static Environment minimal();

        // Test thread: adds or replaces one variable; returns *this for chaining.
        Environment& set (const std::string& name, const std::string& value);

        // Test thread: the value, or an empty string when unset.
        std::string get (const std::string& name) const;

        // Test thread: "NAME=value" entries, as execve wants them.
        std::vector<std::string> toStrings() const;

    private:
        std::map<std::string, std::string> variables;
    };
}
