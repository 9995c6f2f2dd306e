#pragma once

#include <cstdio>

// Where --help and --version print. A program started from a terminal on
// Linux writes to it through its inherited standard streams. Velthorn.exe is
// a windowed program, which Windows starts without standard handles even from
// a command prompt: its standard streams lead nowhere unless the caller
// redirected them, so it joins the console of the program that started it
// and writes there.
class ParentConsole final
{
public:
    struct Streams
    {
        std::FILE* output;
        std::FILE* error;
    };

    // Process entry, before anything is printed: the streams to print to.
    // Standard output and error where the caller gave them (a terminal, a
    // file, a pipe); where it did not, the console of the parent process if
    // it has one, else the standard streams as they are.
    static Streams attach();

    ParentConsole() = delete;
};
