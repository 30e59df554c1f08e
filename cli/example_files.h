// The example host folder that `zelta demo` sets up, built into the program from
// the files in examples/.
#pragma once

#include <string_view>
#include <vector>

namespace zelta {

struct ExampleFile {
  std::string_view path;   // relative to the host folder, with '/' between folders
  std::string_view bytes;
};

// ExampleFiles()
// The sample log, the region list, the settings file and the extra header file.
const std::vector<ExampleFile>& ExampleFiles();

}  // namespace zelta
