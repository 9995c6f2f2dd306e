#include "RunningInstanceMark.h"

// A running program's files can be replaced here: nothing to show.
struct RunningInstanceMark::Handle
{
};

RunningInstanceMark::RunningInstanceMark() = default;

RunningInstanceMark::~RunningInstanceMark() = default;
