# The framework's Linux window (LinuxComponentPeer, JUCE 7.0.5) runs a timer at
# the display's refresh rate (100 Hz when the display reports none) for as
# long as the window exists, only to look for repaint requests. Through the
# framework's timer thread that costs about four context switches per tick on
# the timer thread and one or two on the message thread, several hundred a
# second while nothing at all changes on screen.
#
# This builds juce_gui_basics from a copy in which a repaint request is handed
# to the message loop instead (one asynchronous dispatch per burst of
# requests, painted in the same turn of the loop), and the refresh-rate timer
# runs only while something listens for refreshes (VBlankAttachment). The
# rest of the module is the installed source, unchanged. Shared-memory blits
# are switched off in that copy (JUCE_USE_XSHM=0): their completion
# events made a painted window wait for a later timer tick, which no longer
# comes; a plain XPutImage of the few small areas a panel repaints is cheap.

# (The module is copied in VelthornJuce.cmake, from its table of patches.)
velthorn_juce_patch_read(juce_gui_basics native/juce_linux_Windowing.cpp)

# A repaint request schedules one dispatch on the message loop.
velthorn_juce_patch_replace(
"            repainter->repaint (area.getIntersection (bounds.withZeroOrigin()));
    }"
"        {
            repainter->repaint (area.getIntersection (bounds.withZeroOrigin()));
            repaintDispatcher.triggerAsyncUpdate();
        }

        if (! vBlankListeners.isEmpty() && ! vBlankManager.isTimerRunning())
            updateVBlankTimer();
    }")

# The refresh-rate timer only for refresh listeners; it stops when the last goes.
velthorn_juce_patch_replace(
"    void updateVBlankTimer()
    {
"
"    void updateVBlankTimer()
    {
        if (vBlankListeners.isEmpty())
        {
            vBlankManager.stopTimer();
            return;
        }

")

velthorn_juce_patch_replace(
"        if (repainter != nullptr)
            repainter->dispatchDeferredRepaints();
    }"
"        if (repainter != nullptr)
            repainter->dispatchDeferredRepaints();

        if (vBlankListeners.isEmpty())
            vBlankManager.stopTimer();
    }

    class LinuxRepaintDispatcher  : public AsyncUpdater
    {
    public:
        explicit LinuxRepaintDispatcher (std::function<void()> cb)  : callback (std::move (cb)) {}
        ~LinuxRepaintDispatcher() override       { cancelPendingUpdate(); }
        void handleAsyncUpdate() override        { callback(); }

    private:
        std::function<void()> callback;
    };")

# The refresh-rate timer's X calls also flushed Xlib's output buffer a
# hundred times a second, which the framework came to rely on: a window
# unmapped, moved or painted was only sent to the server by the next such
# call. The dispatch flushes instead, and every request of the window to the
# server schedules one.
#
# A flush, like any round trip to the server, also reads whatever the server
# has sent meanwhile into Xlib's own event queue. The connection's socket is
# then drained, so the message loop, which only polls the socket, would not
# see a click or key read that way until some later traffic arrived. After
# flushing, events already in Xlib's queue are handed to the connection's
# usual handler, from a message of their own so that a window closed by one
# of them is not running its own dispatch at the time.
velthorn_juce_patch_replace(
"    LinuxVBlankManager vBlankManager { [this]() { onVBlank(); } };"
"    LinuxVBlankManager vBlankManager { [this]() { onVBlank(); } };
    LinuxRepaintDispatcher repaintDispatcher { [this]()
    {
        if (repainter != nullptr)
            repainter->dispatchDeferredRepaints();

        flushAndDispatchQueuedEvents();
    } };

    static void flushAndDispatchQueuedEvents()
    {
        auto* display = XWindowSystem::getInstance()->getDisplay();

        if (display == nullptr)
            return;

        bool eventsWaiting = false;

        {
            XWindowSystemUtilities::ScopedXLock xLock;
            X11Symbols::getInstance()->xFlush (display);
            eventsWaiting = X11Symbols::getInstance()->xEventsQueued (display, QueuedAlready) > 0;
        }

        if (eventsWaiting)
            MessageManager::callAsync ([fd = X11Symbols::getInstance()->xConnectionNumber (display)]
                                       { LinuxEventLoopInternal::invokeEventLoopCallbackForFd (fd); });
    }")

# The connection's handler is reached through the event loop's internal
# interface, which this module does not otherwise include.
velthorn_juce_patch_replace(
"namespace juce
{

//==============================================================================
static int numAlwaysOnTopPeers = 0;"
"#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace juce
{

//==============================================================================
static int numAlwaysOnTopPeers = 0;")

foreach(_quiet_request
        "    void setBounds (const Rectangle<int>& newBounds, bool isNowFullScreen) override\n    {\n"
        "    void setVisible (bool shouldBeVisible) override\n    {\n"
        "    void setMinimised (bool shouldBeMinimised) override\n    {\n"
        "    void toFront (bool makeActive) override\n    {\n"
        "    void toBehind (ComponentPeer* other) override\n    {\n"
        "    void grabFocus() override\n    {\n")
    velthorn_juce_patch_replace("${_quiet_request}" "${_quiet_request}        repaintDispatcher.triggerAsyncUpdate();\n\n")
endforeach()

velthorn_juce_patch_write()

# Only this translation unit uses the setting.
set_source_files_properties("${VELTHORN_PATCHED_JUCE_ROOT}/juce_gui_basics/juce_gui_basics.cpp" PROPERTIES COMPILE_DEFINITIONS JUCE_USE_XSHM=0)
