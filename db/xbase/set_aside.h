// Keeping a file the engine will not use: renamed beside itself under a name that says why and
// when ("changes.jnl.foreign-20261207-173000"), never removed, for whoever looks into it.
#pragma once

#include <string>

#include "db/xbase/env.h"

namespace xbase {

// Renames `path` to PATH.LABEL-YYYYMMDD-HHMMSS (local time), with "-2", "-3" ... added when
// that name is taken; *keptAs gets the new path.
Status setAside(Env* env, const std::string& path, const std::string& label, std::string* keptAs);

}  // namespace xbase
