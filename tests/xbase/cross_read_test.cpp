// Files exchanged with independent readers and writers. Tables, memos and indexes written by the
// engine (bulk-built, then changed record by record) are read back by Python's dbfread, which
// compares every record and memo with the engine's own view, and by Perl's XBase::Index, whose
// walk of every index must give the engine's key order and record numbers. In the other
// direction, a table with memos written by Python's dbf module is read by the engine.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/support/temp_data_dir.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;

namespace {

const std::string kScripts = XBASE_CROSS_SCRIPTS;

struct Output {
    int status = -1;
    std::string text;
};

// Runs a shell command, collecting its output and error output.
Output run(const std::string& command) {
    Output out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.text.append(buf, n);
    const int status = pclose(pipe);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

std::string trimRight(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

bool blank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

// A JSON string of Latin-1 text.
std::string json(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// The engine's view of every record, as read_dbf.py expects it.
std::string engineView(Table* t) {
    std::ostringstream out;
    out << "{\"fields\": [";
    for (int i = 0; i < t->fieldCount(); ++i) {
        Field* f = t->fieldAt(i);
        out << (i ? ", " : "") << "[" << json(f->name()) << ", \"" << f->type() << "\", "
            << f->length() << ", " << f->decimals() << "]";
    }
    out << "],\n\"records\": [\n";
    for (uint32_t r = 1; r <= t->recCount(); ++r) {
        t->go(r);
        out << (r > 1 ? ",\n" : "") << "{\"recno\": " << r
            << ", \"deleted\": " << (t->deleted() ? "true" : "false") << ", \"values\": {";
        for (int i = 0; i < t->fieldCount(); ++i) {
            Field* f = t->fieldAt(i);
            const std::string raw = f->str();
            out << (i ? ", " : "") << json(f->name()) << ": ";
            switch (f->type()) {
                case 'N': {
                    char num[64];
                    std::snprintf(num, sizeof num, "%.17g", f->asDouble());
                    out << (blank(raw) ? "null" : num);
                    break;
                }
                case 'D':
                    out << (blank(raw) ? "null" : json(raw));
                    break;
                case 'M':
                    out << json(f->memo());
                    break;
                default:
                    out << json(trimRight(raw));
                    break;
            }
        }
        out << "}}";
    }
    out << "\n]}\n";
    return out.str();
}

// Text for a failure message: other bytes as '?', long texts cut.
std::string printable(const std::string& text) {
    std::string s;
    for (char c : text.substr(0, 60)) s += (c >= 0x20 && c < 0x7F) ? c : '?';
    if (text.size() > 60) s += "... (" + std::to_string(text.size()) + " bytes)";
    return "\"" + s + "\"";
}

std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

struct Entry {
    uint32_t rec;
    std::string key;
    bool operator==(const Entry&) const = default;
};

std::string describe(const std::vector<Entry>& entries, size_t i) {
    return i < entries.size()
               ? "record " + std::to_string(entries[i].rec) + " key " + printable(entries[i].key)
               : "nothing (the walk ended)";
}

// Compares the engine's walk of every tag with XBase::Index's walk of its .ntx file.
void compareTagWalks(Table* t, const std::string& dir) {
    for (int i = 0; i < t->tagCount(); ++i) {
        Tag* tag = t->tagAt(i);
        std::vector<Entry> ours;
        t->select(tag);
        for (int rc = t->top(); rc == kFound; rc = t->skip(1))
            ours.push_back({t->recNo(), t->currentKey()});
        ASSERT_TRUE(t->eof()) << tag->name() << ": the engine's walk stopped early";

        const std::string file = dir + "/" + tag->name() + ".ntx";
        const Output perl =
            run("/usr/bin/perl " + quoted(kScripts + "/read_ntx.pl") + " " + quoted(file));
        ASSERT_EQ(perl.status, 0) << "XBase::Index failed on " << file << ":\n" << perl.text;
        std::vector<Entry> theirs;
        std::istringstream lines(perl.text);
        for (std::string line; std::getline(lines, line);) {
            const size_t space = line.find(' ');
            ASSERT_NE(space, std::string::npos) << "unexpected output: " << line;
            theirs.push_back({static_cast<uint32_t>(std::stoul(line.substr(0, space))),
                              fromHex(std::string_view(line).substr(space + 1))});
        }

        size_t at = 0;
        while (at < ours.size() && at < theirs.size() && ours[at] == theirs[at]) ++at;
        EXPECT_TRUE(at == ours.size() && at == theirs.size())
            << tag->name() << " (" << tag->expression() << "): the walks part at entry " << at
            << " of " << ours.size() << " (engine) and " << theirs.size()
            << " (XBase::Index): engine has " << describe(ours, at) << ", XBase::Index reads "
            << describe(theirs, at);
        for (size_t k = 1; k < theirs.size(); ++k) {
            ASSERT_LE(theirs[k - 1].key, theirs[k].key)
                << tag->name() << ": XBase::Index reads keys out of order at entry " << k;
        }
    }
}

void compareWithDbfread(Table* t, const std::string& dir) {
    const std::string view = dir + "/view.json";
    std::ofstream(view, std::ios::binary) << engineView(t);
    const Output py = run("/usr/bin/python3 " + quoted(kScripts + "/read_dbf.py") + " " +
                          quoted(dir + "/" + t->name() + ".dbf") + " " + quoted(view));
    EXPECT_EQ(py.status, 0) << "dbfread disagrees with the engine on " << t->name() << ":\n"
                            << py.text;
}

const char* const kLast[] = {
    "Smith",  "Jones",  "M\xfcller", "Brown",
    "garcia", "O'Neil", "Lee",       "Zimmermann-Schultheiss"};  // the last is cut to the width
const char* const kFirst[] = {"Anna", "bob", "Carl", "\xc9mile", "", "Li"};
const char* const kPrid[] = {"A1", "B22", "C333", ""};
// "Café € 5" in Windows-1252.
const char* const kEuroText = "Caf\xe9 \x80 5";

std::string memoText(std::mt19937& rng, int i) {
    switch (i % 5) {
        case 1:
            return "Call back on Monday.\r\nAsk for " + std::string(kFirst[rng() % 6]) + ".";
        case 2:
            return std::string(509 + i % 5, 'm');  // around one block with its terminator
        case 3: {
            std::string s;
            const char alphabet[] = "abcd\xe9\xfc fgh\r\n";
            for (size_t n = 600 + rng() % 2500; s.size() < n;) s += alphabet[rng() % 12];
            return s;
        }
        default:
            return "";
    }
}

std::string dateText(std::mt19937& rng) {
    char d[16];
    std::snprintf(d, sizeof d, "%04d%02d%02d", 2019 + static_cast<int>(rng() % 8),
                  1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28));
    return d;
}

// Fills the current record; blank fields are left as appended.
void fill(Table* t, std::mt19937& rng, int i) {
    t->field("cuno")->assignInt(i % 9 == 0 ? i / 2 : i);  // every ninth repeats an earlier one
    t->field("last")->assign(kLast[rng() % 8]);
    t->field("first")->assign(kFirst[rng() % 6]);
    if (i % 10 != 0) t->field("idate")->assign(dateText(rng));
    t->field("prid")->assign(kPrid[rng() % 4]);
    t->field("ivno")->assignInt(static_cast<int>(rng() % 1500) - 20);
    if (i % 8 != 0)
        t->field("amount")->assignDouble((static_cast<int>(rng() % 2000000) - 500000) / 100.0);
    if (i % 3 != 0) t->field("active")->assign(rng() % 2 ? "T" : "F");
    const std::string memo = memoText(rng, i);
    if (!memo.empty()) t->field("notes")->assignMemo(memo);
}

const std::vector<TagInfo> kTags = {{"XNAME", "Upper(Last + First)"},
                                    {"XCUNO", "Str(CuNo, 6)"},
                                    {"XDATE", "DTOS(IDate)"},
                                    {"XPRIV", "PrID + Str(IvNo,6,0)"},
                                    {"XDDUE", "DTOS(IDate) + Str(Amount,10,2)"}};

// Levels of an index file's tree, counted down its left-most path.
int treeDepth(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    auto get = [&](uint32_t at, int bytes) {
        unsigned char b[4] = {};
        in.seekg(at);
        in.read(reinterpret_cast<char*>(b), bytes);
        return static_cast<uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24);
    };
    int depth = 0;
    for (uint32_t page = get(4, 4); page != 0 && depth < 40; ++depth)
        page = get(page + get(page + 2, 2), 4);
    return depth;
}

void expectWhole(Table* t) {
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
}

}  // namespace

TEST(CrossRead, EngineFilesReadByDbfreadAndXBaseIndex) {
    TempDataDir dir;
    const std::string path = dir.path().string();
    std::mt19937 rng(20260301);
    {
        Context ctx;
        Table* t = ctx.create("XCUST", {{"CUNO", 'N', 6, 0},
                                        {"LAST", 'C', 20, 0},
                                        {"FIRST", 'C', 13, 0},
                                        {"IDATE", 'D', 8, 0},
                                        {"PRID", 'C', 4, 0},
                                        {"IVNO", 'N', 6, 0},
                                        {"AMOUNT", 'N', 10, 2},
                                        {"ACTIVE", 'L', 1, 0},
                                        {"NOTES", 'M', 10, 0}});
        ASSERT_NE(t, nullptr) << ctx.errorText();
        for (int i = 1; i <= 2500; ++i) {
            ASSERT_EQ(t->appendBlank(), kFound) << ctx.errorText();
            fill(t, rng, i);
        }
        for (uint32_t r = 7; r <= 2500; r += 41) {
            t->go(r);
            t->deleteRecord();
        }
        t->go(1);
        t->field("last")->assign(kEuroText);
        ASSERT_EQ(ctx.createIndex(t, "XCUST", kTags), 0) << ctx.errorText();
        ASSERT_EQ(ctx.closeAll(), 0) << ctx.errorText();
    }
    {
        SCOPED_TRACE("bulk-built indexes");
        Context ctx;
        Table* t = ctx.open("XCUST");
        ASSERT_NE(t, nullptr) << ctx.errorText();
        ASSERT_EQ(t->tagCount(), 5);
        EXPECT_GE(treeDepth(path + "/XNAME.ntx"), 3);
        expectWhole(t);
        compareWithDbfread(t, path);
        compareTagWalks(t, path);
        // dbfread decodes the euro sign by the code page the header declares.
        const Output py =
            run("/usr/bin/python3 -c \"import sys; from dbfread import DBF; "
                "print(ascii(next(iter(DBF(sys.argv[1])))['LAST']))\" " +
                quoted(path + "/XCUST.dbf"));
        EXPECT_EQ(py.text, "'Caf\\xe9 \\u20ac 5'\n") << py.text;
    }
    {
        Context ctx;
        Table* t = ctx.open("XCUST");
        ASSERT_NE(t, nullptr) << ctx.errorText();
        for (int i = 2501; i <= 4000; ++i) {
            ASSERT_EQ(t->appendBlank(), kFound) << ctx.errorText();
            fill(t, rng, i);
        }
        // Move a run of keys away from the middle of every tree, so that pages empty out and
        // merge, and scatter other changes.
        for (uint32_t r = 600; r <= 1400; ++r) {
            t->go(r);
            t->field("cuno")->assignInt(static_cast<int>(r) + 500000);
            t->field("last")->assign("Zz" + std::to_string(r));
            t->field("idate")->assign("20300101");
            t->field("prid")->assign("Z9");
        }
        for (int k = 0; k < 700; ++k) {
            t->go(1 + rng() % 4000);
            switch (k % 5) {
                case 0:
                    fill(t, rng, k);
                    break;
                case 1:
                    t->field("notes")->assignMemo(memoText(rng, 3));
                    break;
                case 2:
                    t->field("notes")->assignMemo("");
                    break;
                case 3:
                    t->deleteRecord();
                    break;
                default:
                    t->recall();
                    break;
            }
        }
        ASSERT_EQ(ctx.closeAll(), 0) << ctx.errorText();
    }
    {
        SCOPED_TRACE("indexes changed record by record");
        Context ctx;
        Table* t = ctx.open("XCUST");
        ASSERT_NE(t, nullptr) << ctx.errorText();
        ASSERT_EQ(t->recCount(), 4000u);
        expectWhole(t);
        compareWithDbfread(t, path);
        compareTagWalks(t, path);
    }
}

TEST(CrossRead, TableWrittenByPythonDbfReadByTheEngine) {
    TempDataDir dir;
    const std::string path = dir.path().string();
    const Output py =
        run("/usr/bin/python3 " + quoted(kScripts + "/write_dbf.py") + " " + quoted(path));
    ASSERT_EQ(py.status, 0) << "write_dbf.py failed:\n" << py.text;

    Context ctx;
    Table* t = ctx.open("people");
    ASSERT_NE(t, nullptr) << ctx.errorText();
    std::ifstream listing(path + "/people.txt");
    int field = 0, differences = 0;
    uint32_t records = 0;
    for (std::string line; std::getline(listing, line) && differences < 20;) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        if (kind == "field") {
            std::string name, type;
            int length = 0, decimals = 0;
            in >> name >> type >> length >> decimals;
            Field* f = t->fieldAt(field++);
            ASSERT_NE(f, nullptr) << "the engine lacks field " << name;
            EXPECT_EQ(f->name(), name);
            EXPECT_EQ(std::string(1, f->type()), type) << name;
            EXPECT_EQ(f->length(), length) << name;
            EXPECT_EQ(f->decimals(), decimals) << name;
            continue;
        }
        uint32_t rec = 0;
        int deleted = 0;
        in >> rec >> deleted;
        ++records;
        ASSERT_EQ(t->go(rec), kFound) << ctx.errorText();
        EXPECT_EQ(t->deleted(), deleted == 1) << "record " << rec;
        for (int i = 0; i < t->fieldCount(); ++i) {
            std::string hex;
            in >> hex;
            const bool empty = hex == "-";
            const std::string want = empty ? "" : fromHex(hex);
            Field* f = t->fieldAt(i);
            std::string got;
            bool same = false;
            switch (f->type()) {
                case 'N':
                    got = std::to_string(f->asDouble());
                    same =
                        empty ? blank(f->str()) : std::abs(f->asDouble() - std::stod(want)) < 1e-9;
                    break;
                case 'L':
                    got = f->str();
                    same = f->isTrue() == (want == "T") && (empty || got == want);
                    break;
                case 'M':
                    got = f->memo();
                    same = got == want;
                    break;
                default:
                    got = trimRight(f->str());
                    same = got == want;
                    break;
            }
            if (!same) {
                ++differences;
                ADD_FAILURE() << "record " << rec << " field " << f->name()
                              << ": the dbf module wrote " << printable(want)
                              << ", the engine reads " << printable(got);
            }
        }
        EXPECT_EQ(ctx.errorCode(), 0) << "record " << rec << ": " << ctx.errorText();
    }
    EXPECT_EQ(field, t->fieldCount());
    EXPECT_EQ(records, t->recCount());
    EXPECT_GT(records, 0u);
}
