#include "XdoTool.h"

#include "Polling.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>

namespace e2e
{
    XdoTool::XdoTool (std::string display, std::filesystem::path logs)
        : displayName (std::move (display)), logDirectory (std::move (logs))
    {
    }

    ToolResult XdoTool::run (const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> commandLine { "xdotool" };
        commandLine.insert (commandLine.end(), arguments.begin(), arguments.end());

        auto result = runTool (commandLine, Environment::minimal().set ("DISPLAY", displayName), logDirectory, toolTimeout);

        if (! result.succeeded())
            throw std::runtime_error ("xdotool failed: " + result.describe());

        return result;
    }

    namespace
    {
        // Test thread: asks until an answer comes (`ask` returns none while
        // the question could not be answered), and throws with the last
        // failure if none came by the deadline. A failed look is never taken
        // for "no": a window closing while the look runs makes xdotool die
        // with BadWindow and print nothing, which says nothing of the window
        // looked for.
        template <typename Answer>
        Answer askUntilAnswered (const std::function<std::optional<Answer> (std::string& failure)>& ask)
        {
            std::optional<Answer> answer;
            std::string failure;

            pollUntil (toolTimeout, [&]
            {
                answer = ask (failure);
                return answer.has_value();
            });

            if (! answer.has_value())
                throw std::runtime_error ("no answer within " + std::to_string (toolTimeout.count()) + " ms: " + failure);

            return *answer;
        }
    }

    std::vector<std::string> XdoTool::findVisibleWindows (pid_t pid, const std::string& nameRegex) const
    {
        return askUntilAnswered<std::vector<std::string>> ([&] (std::string& failure) -> std::optional<std::vector<std::string>>
        {
            // Not run(): "search" exits with 1 and says nothing when nothing
            // matches, which is an answer here rather than a failure. Without
            // --all, xdotool joins --pid and --name with "or", and every
            // window of the process (a popup menu, a dialog) would count as a
            // match of any name.
            const auto result = runTool ({ "xdotool", "search", "--all", "--onlyvisible", "--pid", std::to_string (pid),
                                           "--name", nameRegex },
                                         Environment::minimal().set ("DISPLAY", displayName), logDirectory, toolTimeout);

            const bool nothingMatched = result.status.has_value() && result.status->isExitCode (1)
                                        && result.standardOutput.empty() && result.standardError.empty();

            if (! result.succeeded() && ! nothingMatched)
            {
                failure = result.describe();
                return std::nullopt;
            }

            std::vector<std::string> ids;
            std::stringstream lines (result.standardOutput);
            std::string line;

            while (std::getline (lines, line))
                if (! line.empty())
                    ids.push_back (line);

            return ids;
        });
    }

    std::optional<std::string> XdoTool::waitForVisibleWindow (pid_t pid, const std::string& nameRegex,
                                                              std::chrono::milliseconds timeout) const
    {
        std::vector<std::string> windows;

        pollUntil (timeout, [&]
        {
            windows = findVisibleWindows (pid, nameRegex);
            return ! windows.empty();
        });

        if (windows.empty())
            return std::nullopt;

        return windows.front();
    }

    bool XdoTool::isWindowVisible (const std::string& windowId) const
    {
        return askUntilAnswered<bool> ([&] (std::string& failure) -> std::optional<bool>
        {
            // xwininfo asks about this one window, where a search walks them
            // all and fails as soon as any one of them goes away meanwhile.
            // "Viewable" is what xdotool's --onlyvisible means too: mapped,
            // and so are its ancestors.
            const auto result = runTool ({ "xwininfo", "-id", windowId },
                                         Environment::minimal().set ("DISPLAY", displayName), logDirectory, toolTimeout);

            if (result.succeeded() && result.standardOutput.find ("Map State: ") != std::string::npos)
                return result.standardOutput.find ("Map State: IsViewable") != std::string::npos;

            // A window that was destroyed is not visible: that is an answer.
            if (result.status.has_value() && result.standardError.find ("No such window") != std::string::npos)
                return false;

            failure = result.describe();
            return std::nullopt;
        });
    }

    bool XdoTool::waitUntilWindowHidden (const std::string& windowId, std::chrono::milliseconds timeout) const
    {
        return pollUntil (timeout, [&] { return ! isWindowVisible (windowId); });
    }

    Rectangle XdoTool::geometry (const std::string& windowId) const
    {
        const auto result = run ({ "getwindowgeometry", "--shell", windowId });

        Rectangle r;
        int found = 0;
        std::stringstream lines (result.standardOutput);
        std::string line;

        while (std::getline (lines, line))
        {
            const auto equals = line.find ('=');
            if (equals == std::string::npos)
                continue;

            const auto key = line.substr (0, equals);
            const auto value = std::stoi (line.substr (equals + 1));

            if (key == "X")           { r.x = value; ++found; }
            else if (key == "Y")      { r.y = value; ++found; }
            else if (key == "WIDTH")  { r.width = value; ++found; }
            else if (key == "HEIGHT") { r.height = value; ++found; }
        }

        if (found != 4)
            throw std::runtime_error ("cannot read the geometry of window " + windowId + ": " + result.describe());

        return r;
    }

    void XdoTool::click (Point screen, int button) const
    {
        run ({ "mousemove", std::to_string (screen.x), std::to_string (screen.y),
               "click", std::to_string (button) });
    }

    void XdoTool::moveMouse (Point screen) const
    {
        run ({ "mousemove", std::to_string (screen.x), std::to_string (screen.y) });
    }

    void XdoTool::drag (Point from, Point to, int steps, int button) const
    {
        // One xdotool run, so the press, the moves and the release reach the
        // server in order with nothing of ours in between.
        std::vector<std::string> arguments { "mousemove", std::to_string (from.x), std::to_string (from.y),
                                             "mousedown", std::to_string (button) };
        steps = std::max (steps, 1);

        for (int i = 1; i <= steps; ++i)
        {
            arguments.insert (arguments.end(), { "mousemove",
                                                 std::to_string (from.x + (to.x - from.x) * i / steps),
                                                 std::to_string (from.y + (to.y - from.y) * i / steps) });
        }

        arguments.insert (arguments.end(), { "mouseup", std::to_string (button) });
        run (arguments);
    }

    void XdoTool::pressKeys (const std::string& windowId, const std::string& keys) const
    {
        run ({ "windowfocus", "--sync", windowId });

        std::vector<std::string> arguments { "key" };
        std::stringstream words (keys);
        std::string word;

        while (words >> word)
            arguments.push_back (word);

        run (arguments);
    }
}
