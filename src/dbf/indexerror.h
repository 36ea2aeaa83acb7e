// Errors raised by the index files.
//
// Every failure of the index layer is raised as the engine's error with a fixed English
// message. Damage found in a file goes through RaiseIndexCorrupt, the one door for
// corruption: its message names the file and the byte offset where the damage was seen.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace hb {

// Replaces each "%s" and "%d" of format by the next argument.
std::string FormatIndexMessage(const char* format, std::initializer_list<std::string> args);

// Raises the engine's error (EDbfError) with the formatted message.
[[noreturn]] void RaiseIndexError(const char* format, std::initializer_list<std::string> args = {});

// Raises "Index file %s is corrupted" for path, followed by the offset and what was wrong,
// for example "Index file /d/URUREN.CDX is corrupted (offset 3584: key count 300)".
[[noreturn]] void RaiseIndexCorrupt(const std::string& path, int64_t offset,
                                    const std::string& what);

}  // namespace hb
