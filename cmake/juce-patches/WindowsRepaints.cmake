# The framework's Windows window (HWNDComponentPeer, JUCE 7.0.5) keeps every
# repaint request until the display's next vertical blank, which a thread per
# monitor waits for through DXGI (IDXGIOutput::WaitForVBlank). Where that
# wait fails (no vertical blank to report: wine, which answers E_NOTIMPL; a
# remote session or a display driver without one) the thread only sleeps
# and retries, and where no DXGI output belongs to the window's monitor there
# is no thread at all: either way the requests are never passed on, and
# nothing the app changes after the window first appeared reaches the screen
# (the knobs, the lamps and the meter stand still while the sound changes).
#
# Where DirectX's display interface cannot be created at all (a session
# without a display, which wine makes of one whose first program had none),
# the framework went on with the interface it did not get and crashed as the
# first window opened.
#
# This builds juce_gui_basics from a copy in which a failed wait still
# passes the requests on, at about the rate of a common display, a window
# whose monitor no thread serves passes them on at once, as the framework
# did before it waited for vertical blanks, and no display interface means
# no threads. The rest of the module is the installed source, unchanged.

# (The module is copied in VelthornJuce.cmake, from its table of patches.)
velthorn_juce_patch_read(juce_gui_basics native/juce_win32_Windowing.cpp)

velthorn_juce_patch_replace(
"            if (output->WaitForVBlank() == S_OK)
                triggerAsyncUpdate();
            else
                Thread::sleep (1);"
"            if (output->WaitForVBlank() == S_OK)
            {
                triggerAsyncUpdate();
            }
            else
            {
                // No vertical blank to wait for: pass the repaints on at
                // about 60 Hz rather than never.
                Thread::sleep (16);
                triggerAsyncUpdate();
            }")

velthorn_juce_patch_replace(
"    void removeListener (const VBlankListener& listener)
    {
        for (auto it = threads.begin(); it != threads.end(); ++it)
            if (removeListener (it, listener))
                return;
    }
"
"    void removeListener (const VBlankListener& listener)
    {
        for (auto it = threads.begin(); it != threads.end(); ++it)
            if (removeListener (it, listener))
                return;
    }

    // Whether a thread calls this listener at each vertical blank.
    bool serves (const VBlankListener& listener) const
    {
        return std::any_of (threads.cbegin(), threads.cend(),
                            [&listener] (const auto& thread) { return thread->hasListener (listener); });
    }
")

velthorn_juce_patch_replace(
"    void repaint (const Rectangle<int>& area) override
    {
        deferredRepaints.add ((area.toDouble() * getPlatformScaleFactor()).getSmallestIntegerContainer());
    }"
"    void repaint (const Rectangle<int>& area) override
    {
        deferredRepaints.add ((area.toDouble() * getPlatformScaleFactor()).getSmallestIntegerContainer());

        // No vertical blank will come for a window on a monitor without a
        // DXGI output.
        if (hwnd != nullptr && ! VBlankDispatcher::getInstance()->serves (*this))
            dispatchDeferredRepaints();
    }")

velthorn_juce_patch_replace(
"        while (factory->EnumAdapters (i, adapter.resetAndGetPointerAddress()) != DXGI_ERROR_NOT_FOUND)"
"        while (factory != nullptr && factory->EnumAdapters (i, adapter.resetAndGetPointerAddress()) != DXGI_ERROR_NOT_FOUND)")

velthorn_juce_patch_write()
