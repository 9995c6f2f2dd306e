#pragma once

#include "Process.h"

#include <filesystem>
#include <vector>

namespace e2e
{
    // Test thread, as a failed test tears down: prints what each process
    // the test started wrote (those not started are null and passed over)
    // and copies the test's log folder to `kept`, which it names, so the
    // logs outlive the test's temporary folder.
    void reportFailedTest (const std::vector<Process*>& processes, const std::filesystem::path& logDirectory,
                           const std::filesystem::path& kept);
}
