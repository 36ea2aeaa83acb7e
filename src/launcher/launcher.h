// The document launcher shared by hbbrochure, hbmanual and hbhelp.
#pragma once

namespace hb {

// Opens the document of the given suffix in the user's language; returns the exit code.
int RunLauncher(int argc, char** argv, const char* suffix);

}  // namespace hb
