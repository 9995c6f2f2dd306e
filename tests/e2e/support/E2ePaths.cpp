#include "E2ePaths.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifndef VELTHORN_E2E_APP_PATH
 #error "VELTHORN_E2E_APP_PATH must name the Velthorn binary"
#endif

#ifndef VELTHORN_E2E_ARTEFACT_DIR
 #error "VELTHORN_E2E_ARTEFACT_DIR must name the artefact folder"
#endif

namespace e2e
{
    std::filesystem::path velthornBinary()
    {
        return VELTHORN_E2E_APP_PATH;
    }

    std::filesystem::path artefactDirectory()
    {
        std::filesystem::path directory (VELTHORN_E2E_ARTEFACT_DIR);
        std::filesystem::create_directories (directory);
        return directory;
    }

    std::filesystem::path artefactPathForCurrentTest (const std::string& name)
    {
        std::string folder = "unknown-test";

        if (const auto* const info = ::testing::UnitTest::GetInstance()->current_test_info())
            folder = std::string (info->test_suite_name()) + "." + info->name();

        std::replace_if (folder.begin(), folder.end(), [] (char c) { return c == '/' || c == ' '; }, '_');

        const auto directory = artefactDirectory() / folder;
        std::filesystem::create_directories (directory);
        return directory / name;
    }
}
