#include "db/xbase/names.h"

#include <cctype>
#include <memory>

namespace xbase {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

Status readGroupFile(Env* env, const std::string& path, std::vector<std::string>* tags) {
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(path, OpenMode::ReadOnly, &file));
    char buf[4096];
    size_t got = 0;
    XBASE_TRY(file->read(0, sizeof buf, buf, &got));
    if (got == sizeof buf) return Status(kErrIndex, path + ": group file too long");
    tags->clear();
    std::string line;
    for (size_t i = 0; i <= got; ++i) {
        if (i == got || buf[i] == '\n' || buf[i] == '\r') {
            if (!line.empty()) tags->push_back(line);
            line.clear();
        } else if (std::isalnum(static_cast<unsigned char>(buf[i])) || buf[i] == '_') {
            line.push_back(buf[i]);
        } else if (!std::isspace(static_cast<unsigned char>(buf[i]))) {
            return Status(kErrIndex, path + ": not a group file");
        }
    }
    return {};
}

Status writeGroupFile(Env* env, const std::string& path, const std::vector<std::string>& tags) {
    std::string text;
    for (const std::string& t : tags) text += t + "\n";
    const std::string tmp = path + ".new";
    {
        std::unique_ptr<File> file;
        XBASE_TRY(env->open(tmp, OpenMode::Create, &file));
        XBASE_TRY(file->write(0, text.data(), text.size()));
        XBASE_TRY(file->sync());
    }
    return env->rename(tmp, path);
}

}  // namespace xbase
