# A request from outside to close a Windows program's windows (taskkill
# without /F, a task manager's "End task") posts WM_CLOSE to every top-level
# window of the process, hidden ones included. One of those is the
# framework's hidden message window (JUCE 7.0.5), through which every
# message the framework posts to its own thread travels; its window
# procedure left WM_CLOSE to the system, which destroys the window. Messages
# posted after that could be lost, the quit that the main window's own
# WM_CLOSE had just asked for among them, and the app then stayed running.
# Whether it did depended on the order the requests arrived in (a test that
# ends the app with taskkill failed now and then under wine).
#
# This builds juce_events from a copy in which the message window keeps
# itself and passes the request on to the application as a quit request
# from the system (the main window's close button takes the same way out;
# asking twice does no harm). In a plugin there is no application object
# and the request is simply not acted on: the host decides.

# (The module is copied in VelthornJuce.cmake, from its table of patches.)
velthorn_juce_patch_read(juce_events native/juce_win32_Messaging.cpp)

velthorn_juce_patch_replace(
"            if (message == WM_SETTINGCHANGE)
                if (settingChangeCallback != nullptr)
                    settingChangeCallback();
        }"
"            if (message == WM_SETTINGCHANGE)
                if (settingChangeCallback != nullptr)
                    settingChangeCallback();

            // Closing this window would lose every message posted from now
            // on; the request is the application's to answer.
            if (message == WM_CLOSE)
            {
                if (auto* app = JUCEApplicationBase::getInstance())
                    app->systemRequestedQuit();

                return 0;
            }
        }")

velthorn_juce_patch_write()
