// The feedback invitation after uninstalling: an internet shortcut in the program folder
// that the uninstaller opens.
//
//   UninstallFeedbackUrl("DE")   "https://www.hourbook.nl/uninstall/de/uninstall.html"
//   WriteUninstallShortcut("/opt/hourbook/", "DE")
//       "/opt/hourbook/hbook_uninstall.url":  [InternetShortcut]  URL=<the address above>
#pragma once

#include <QString>

namespace hb {

// The product's web site.
inline constexpr const char* kProductWebSite = "https://www.hourbook.nl";

// The name of the shortcut file in the program folder.
inline constexpr const char* kUninstallShortcut = "hbook_uninstall.url";

// The feedback page for a language code (empty: "EN"), its folder in lower case.
QString UninstallFeedbackUrl(const QString& languageCode);

// Writes the shortcut into folder; false when it cannot be written.
bool WriteUninstallShortcut(const QString& folder, const QString& languageCode);

}  // namespace hb
