// The start shared by the benchmark programs: the table sizes to run (the option
// "--sizes=N,M" or the environment variable HB_BENCH_SIZES, else the program's default),
// Google Benchmark's own options, and a fresh temporary folder for the generated tables
// (below HB_BENCH_DIR when set).
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace hbbench {

// "100000,1000000" as numbers; every size must be at least 10.
inline std::vector<int64_t> ParseSizes(const std::string& text) {
  std::vector<int64_t> out;
  size_t at = 0;
  while (at <= text.size()) {
    size_t comma = text.find(',', at);
    std::string part = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    if (!part.empty()) {
      long long v = std::atoll(part.c_str());
      if (v < 10) throw std::runtime_error("size must be at least 10: " + part);
      out.push_back(v);
    }
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return out;
}

// Reads the options; false (after a message) when they are wrong or no folder could be made.
inline bool StartBenchmarks(int argc, char** argv, const char* defaultSizes, const char* folderName,
                            std::vector<int64_t>& sizes, std::filesystem::path& folder) {
  std::string text = defaultSizes;
  if (const char* env = std::getenv("HB_BENCH_SIZES")) text = env;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--sizes=", 8) == 0)
      text = argv[i] + 8;
    else
      args.push_back(argv[i]);
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return false;
  try {
    sizes = ParseSizes(text);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return false;
  }
  const char* base = std::getenv("HB_BENCH_DIR");
  std::string pattern = ((base && *base) ? std::filesystem::path(base)
                                         : std::filesystem::temp_directory_path()) /
                        (std::string(folderName) + "-XXXXXX");
  if (!mkdtemp(pattern.data())) {
    std::perror(pattern.c_str());
    return false;
  }
  folder = pattern;
  return true;
}

}  // namespace hbbench
