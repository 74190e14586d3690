#pragma once

namespace ombrix::app {

// Runs the window program until the user ends it; returns the exit status.
int RunWindow(int argc, char** argv);

// Installs the Japanese translation of Qt's standard dialog buttons and the application font.
void SetUpJapaneseInterface();

}  // namespace ombrix::app
