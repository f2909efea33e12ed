#include "app/ConsoleApp.h"

START_JUCE_APPLICATION (arx::ConsoleApp)
