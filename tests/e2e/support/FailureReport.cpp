#include "FailureReport.h"

#include <iostream>

namespace e2e
{
    void reportFailedTest (const std::vector<Process*>& processes, const std::filesystem::path& logDirectory,
                           const std::filesystem::path& kept)
    {
        std::cerr << "==== output of the processes this test started\n";

        for (auto* process : processes)
            if (process != nullptr)
                std::cerr << process->report();

        std::error_code ignored;
        std::filesystem::copy (logDirectory, kept,
                               std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                               ignored);
        std::cerr << "==== logs kept in " << kept.string() << "\n";
    }
}
