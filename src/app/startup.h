#pragma once

namespace app {

// Parses the command line, connects to the X display and runs the program.
int Run(int argc, char** argv);

}  // namespace app
