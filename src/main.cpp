// hblite: the Hourbook program.
#include "app/startup.h"

int main(int argc, char** argv) { return hb::RunProgram(argc, argv); }
