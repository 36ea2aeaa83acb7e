// hbbrochure, hbmanual, hbhelp: one source, built once per document suffix.
#include "launcher/launcher.h"

int main(int argc, char** argv) { return hb::RunLauncher(argc, argv, HB_DOC_SUFFIX); }
