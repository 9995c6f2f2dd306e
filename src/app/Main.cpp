#include "VelthornApplication.h"

// Registers the factory for the application object and runs the framework's
// main loop; the exit code is the framework's.
START_JUCE_APPLICATION (VelthornApplication)
