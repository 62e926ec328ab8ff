#include "bench/program_data.h"

#include <cstdio>

#include "core/prompt.h"
#include "db/program_state.h"

namespace bench {

bool GenerateDataDir(const std::filesystem::path& dir, const GeneratorOptions& options,
                     const char* program) {
    for (const auto& entry : std::filesystem::directory_iterator(CORVANE_SUPPLIED_DATA))
        std::filesystem::copy_file(entry.path(), dir / entry.path().filename());
    std::filesystem::current_path(dir);
    InitDbContext();
    GeneratorCounts counts;
    QString error;
    const bool ok = GenerateData(options, &counts, &error);
    if (!ok) std::fprintf(stderr, "%s: %s\n", program, qPrintable(error));
    FreeDbContext();
    return ok;
}

void PrintPrompts(const char* program) {
    static const char* name = nullptr;
    name = program;
    prompt::setHandler([](const prompt::Request& r) {
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(r.text));
        return prompt::Reply{true, {}};
    });
}

}  // namespace bench
