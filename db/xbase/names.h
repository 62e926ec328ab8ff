// Name handling shared by the engine: letter-case-blind comparison of field, tag and file
// names, and the group file (.cgp), which is plain text naming one tag per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/xbase/env.h"

namespace xbase {

bool sameName(std::string_view a, std::string_view b);
Status readGroupFile(Env* env, const std::string& path, std::vector<std::string>* tags);
Status writeGroupFile(Env* env, const std::string& path, const std::vector<std::string>& tags);

}  // namespace xbase
