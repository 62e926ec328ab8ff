#include "tests/xbase/sample_tables.h"

#include <algorithm>

using namespace xbase;

Table* makeCustomers(Context& ctx, const std::string& name) {
    Table* t = ctx.create(name, {{"CUNO", 'N', 6, 0},
                                 {"LAST", 'C', 20, 0},
                                 {"FIRST", 'C', 13, 0},
                                 {"ZIP", 'C', 10, 0},
                                 {"SINCE", 'D', 8, 0},
                                 {"ACTIVE", 'L', 1, 0},
                                 {"COMMENTS", 'M', 10, 0}});
    if (!t) return nullptr;
    if (ctx.createIndex(
            t, name,
            {{"CNAME", "Upper(Last + First)"}, {"CCNO", "Str(CuNo, 6)"}, {"CZIP", "Zip"}}) != 0)
        return nullptr;
    return t;
}

uint32_t addCustomer(Table* t, int cuno, const std::string& last, const std::string& first,
                     const std::string& zip, const std::string& comments) {
    t->appendBlank();
    t->field("cuno")->assignInt(cuno);
    t->field("last")->assign(last);
    t->field("first")->assign(first);
    t->field("zip")->assign(zip);
    t->field("since")->assign("20260301");
    t->field("active")->assign("T");
    if (!comments.empty()) t->field("comments")->assignMemo(comments);
    t->flush();
    return t->recNo();
}

std::vector<uint32_t> walk(Table* t) {
    std::vector<uint32_t> recs;
    for (int rc = t->top(); rc == kFound; rc = t->skip(1)) recs.push_back(t->recNo());
    return recs;
}

std::vector<uint32_t> walkBack(Table* t) {
    std::vector<uint32_t> recs;
    for (int rc = t->bottom(); rc == kFound; rc = t->skip(-1)) recs.push_back(t->recNo());
    std::reverse(recs.begin(), recs.end());
    return recs;
}

std::string text(Table* t, const char* field) {
    std::string s = t->field(field)->str();
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}
