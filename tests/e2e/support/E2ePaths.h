#pragma once

#include <filesystem>
#include <string>

namespace e2e
{
    // Test thread: the Velthorn binary under test, as built alongside these tests.
    std::filesystem::path velthornBinary();

    // Test thread: where tests keep what a person may want to look at after a
    // run (screenshots): <build>/artefacts, created on demand.
    std::filesystem::path artefactDirectory();

    // Test thread: <artefacts>/<Suite>.<Test>/<name> for the running test
    // (parameterised names made file-safe); the folder is created.
    std::filesystem::path artefactPathForCurrentTest (const std::string& name);
}
