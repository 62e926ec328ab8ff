// What the benchmarks of the program's own windows share: a data directory filled by the
// generator from the supplied tables, and the prompt layer printing what it would show.
#pragma once

#include <filesystem>

#include "db/generator.h"

namespace bench {

// Copies the supplied tables into `dir` (an existing, empty folder), makes it the current
// directory and fills it through the generator. False, after saying why on the error stream
// under the program's name, when it cannot.
bool GenerateDataDir(const std::filesystem::path& dir, const GeneratorOptions& options,
                     const char* program);

// Every message goes to the error stream under the program's name, every question is answered
// Yes: a benchmark has nobody to ask.
void PrintPrompts(const char* program);

}  // namespace bench
