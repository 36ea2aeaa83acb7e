// Opening a document or web page with the desktop's default application.
//
//   ShellOpen("/opt/hourbook/Hbok_NL.pdf");     // a local file (stored "\" paths allowed)
//   ShellOpen("https://example.org/update");    // a URL
//
// Order of service: a hook installed with SetShellOpenHook (tests); else, when the
// environment variable HOURBOOK_SHELL_LOG names a file, the target is appended to that
// file as one line instead of being opened; else QDesktopServices opens it.
// The result is false when a local file does not exist or nothing could open the target.
#pragma once

#include <QString>
#include <functional>

namespace hb {

using TShellOpenHook = std::function<bool(const QString& target)>;

bool ShellOpen(const QString& target);

// Installs a hook that replaces opening; returns the previous one. An empty hook restores
// the normal behaviour.
TShellOpenHook SetShellOpenHook(TShellOpenHook hook);

}  // namespace hb
