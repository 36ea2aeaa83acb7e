// Program start-up and shutdown of hblite.
#pragma once

namespace hb {

// Runs the whole program: path context, command line, login, main window, message
// loop and shutdown. Returns the process exit code.
int RunProgram(int argc, char** argv);

}  // namespace hb
