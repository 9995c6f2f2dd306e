#include "ParentConsole.h"

ParentConsole::Streams ParentConsole::attach()
{
    // The standard streams are the terminal's already, or the caller's.
    return { stdout, stderr };
}
