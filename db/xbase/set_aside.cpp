#include "db/xbase/set_aside.h"

#include <ctime>

namespace xbase {

Status setAside(Env* env, const std::string& path, const std::string& label, std::string* keptAs) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local);
    const std::string base = path + "." + label + stamp;
    *keptAs = base;
    for (int n = 2; env->kind(*keptAs) != FileKind::Missing; ++n)
        *keptAs = base + "-" + std::to_string(n);
    return env->rename(path, *keptAs);
}

}  // namespace xbase
