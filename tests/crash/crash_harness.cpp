// crash_harness: kills a process that is changing the data files at random moments and proves
// that no confirmed change is lost and none is left half done.
//
// The harness fills a data directory with generated data. Each round a child process opens it
// as the program does (undoing a change left unfinished, re-creating missing indexes, opening
// the tables) and runs a random stream of invoice saves (1-30 items, 0-3 payments, a customer
// note), invoice edits and deletes (each delete packs three tables), and customer changes of
// note and group. Before an operation it announces it to the parent through a pipe, after it
// confirms it. The parent kills the child with SIGKILL after a random delay, opens the directory
// the same way, runs the data check and compares every invoice (customer, items in order,
// payments) and every customer (note, group) with its model of the confirmed operations: the
// operation in flight must be there wholly or not at all.
//
// usage: crash_harness --rounds N [--seed S] [--dir DIR]
// The last line reads "rounds R kills K in-transaction T rollbacks B violations V": K kills of a
// running child, T of them while an operation was announced and not yet confirmed, B unfinished
// changes undone on opening, V rounds whose files broke a rule; the line before it counts the
// operations confirmed. Exit status 1 when V > 0.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/prompt.h"
#include "db/change.h"
#include "db/data_check.h"
#include "db/field_values.h"
#include "db/generator.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage = "usage: crash_harness --rounds N [--seed S] [--dir DIR]\n";

struct InvoiceModel {
    int cuno = 0;
    std::vector<std::string> items;  // product IDs in stored order
    std::vector<long> payments;      // cents
    bool operator==(const InvoiceModel&) const = default;
};

struct CustomerModel {
    std::string note;
    int group = 0;
    bool operator==(const CustomerModel&) const = default;
};

struct State {
    std::map<int, InvoiceModel> invoices;
    std::map<int, CustomerModel> customers;
    bool operator==(const State&) const = default;
};

// One operation as announced: S(ave) ivNo cuno note items... | payments..., D(elete) ivNo,
// G (customer change) cuno group note.
struct Op {
    char kind = 0;
    int ivNo = 0;
    int cuno = 0;
    int group = 0;
    std::string note;
    InvoiceModel invoice;
};

std::string Text(xbase::Field* field) {
    return ReadText(field).trimmed().toStdString();
}

long Cents(double amount) {
    return std::lround(amount * 100);
}

void Apply(const Op& op, State* s) {
    switch (op.kind) {
        case 'S':
            s->invoices[op.ivNo] = op.invoice;
            if (auto c = s->customers.find(op.invoice.cuno); c != s->customers.end())
                c->second.note = op.note;
            break;
        case 'D':
            s->invoices.erase(op.ivNo);
            break;
        case 'G':
            s->customers[op.cuno] = {op.note, op.group};
            break;
    }
}

std::string Encode(const Op& op) {
    std::ostringstream line;
    line << op.kind << ' ' << op.ivNo << ' ' << op.cuno << ' ' << op.group << ' ' << op.note
         << ' ' << op.invoice.cuno << ' ' << op.invoice.items.size();
    for (const std::string& item : op.invoice.items) line << ' ' << item;
    line << ' ' << op.invoice.payments.size();
    for (long cents : op.invoice.payments) line << ' ' << cents;
    return line.str();
}

bool Decode(const std::string& text, Op* op) {
    std::istringstream line(text);
    size_t items = 0;
    size_t payments = 0;
    line >> op->kind >> op->ivNo >> op->cuno >> op->group >> op->note >> op->invoice.cuno >> items;
    op->invoice.items.resize(items);
    for (std::string& item : op->invoice.items) line >> item;
    line >> payments;
    op->invoice.payments.resize(payments);
    for (long& cents : op->invoice.payments) line >> cents;
    return !line.fail();
}

// Opens the data directory as the program's start-up does; *undone tells whether a change left
// unfinished was undone.
bool OpenAsTheProgramDoes(bool* undone, std::string* error) {
    InitDbContext();
    QString why;
    QStringList finished;
    if (!UndoUnfinishedChange(undone, &why) || !FinishInterruptedRewrites(&finished, &why)) {
        *error = why.toStdString();
        return false;
    }
    if (!RebuildIndexes(true) || !OpenCustomers() || !OpenGroups() || !OpenInvoices() ||
        !OpenItems() || !OpenPayments() || !OpenProducts()) {
        *error = "the tables cannot be opened: " + DbContext->errorText();
        return false;
    }
    return true;
}

// Every invoice with its items and payments, and every customer, from the open tables.
State ReadState() {
    State s;
    CustTbl->select(nullptr);
    for (int rc = CustTbl->top(); rc == xbase::kFound; rc = CustTbl->skip(1))
        if (!CustTbl->deleted())
            s.customers[CustFld.cuno->asInt()] = {Text(CustFld.note), CustFld.ngroup->asInt()};
    InvTbl->select(nullptr);
    for (int rc = InvTbl->top(); rc == xbase::kFound; rc = InvTbl->skip(1))
        if (!InvTbl->deleted()) s.invoices[InvFld.IvNo->asInt()].cuno = InvFld.CuNo->asInt();
    // Rows of an invoice INV5 does not hold show up under customer -1 and break the comparison.
    auto invoice = [&](int ivNo) -> InvoiceModel& {
        auto it = s.invoices.find(ivNo);
        if (it == s.invoices.end()) it = s.invoices.emplace(ivNo, InvoiceModel{-1, {}, {}}).first;
        return it->second;
    };
    ItemTbl->select(ItemTbl->tag("Itm"));
    for (int rc = ItemTbl->top(); rc == xbase::kFound; rc = ItemTbl->skip(1))
        if (!ItemTbl->deleted())
            invoice(ItemFld.IvNo->asInt()).items.push_back(Text(ItemFld.PrID));
    PmtTbl->select(PmtTbl->tag("Pmt"));
    for (int rc = PmtTbl->top(); rc == xbase::kFound; rc = PmtTbl->skip(1))
        if (!PmtTbl->deleted())
            invoice(PmtFld.IvNo->asInt()).payments.push_back(Cents(PmtFld.PAmt->asDouble()));
    return s;
}

// The INV5 record of invoice `ivNo`, 0 when there is none.
int32_t InvoiceRecord(int ivNo) {
    InvTbl->select(InvTbl->tag("Inv"));
    if (InvTbl->seek(NumberKey(ivNo)) != xbase::kFound || InvTbl->deleted()) return 0;
    return static_cast<int32_t>(InvTbl->recNo());
}

void Say(int fd, const std::string& line) {
    const std::string text = line + "\n";
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(4);
}

// The child: changes the data files until it is killed.
[[noreturn]] void RunChild(int fd, uint64_t seed, int customers) {
    bool undone = false;
    std::string error;
    if (!OpenAsTheProgramDoes(&undone, &error)) {
        std::fprintf(stderr, "crash_harness child: %s\n", error.c_str());
        _exit(3);
    }
    std::mt19937_64 random(seed);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int n = 0;; ++n) {
        Op op;
        op.note = "n" + std::to_string(seed % 100000) + "-" + std::to_string(n);
        const int pick = between(1, 100);
        const int last = NextInvoiceNo() - 1;
        int32_t rec = 0;
        if (pick <= 20 || pick > 90) {
            op.ivNo = last > 0 ? between(1, last) : 0;
            rec = op.ivNo > 0 ? InvoiceRecord(op.ivNo) : 0;
        }
        bool done = false;
        if (pick <= 10 && rec > 0) {
            op.kind = 'D';
            Say(fd, Encode(op));
            QString why;
            done = RemoveInvoice(rec, op.ivNo, &why);
        } else if (pick > 75 && pick <= 90) {
            op.kind = 'G';
            op.cuno = between(1, customers);
            op.group = between(1, 12);
            Say(fd, Encode(op));
            CustTbl->select(CustTbl->tag("CCNO"));
            done = BeginChange();
            if (done && CustTbl->seek(NumberKey(op.cuno)) == xbase::kFound &&
                !CustTbl->deleted()) {
                CustFld.note->assign(op.note.c_str());
                CustFld.ngroup->assignInt(op.group);
            }
            done = done && CommitChange();
        } else {
            op.kind = 'S';
            if (rec == 0) op.ivNo = last + 1;
            op.invoice.cuno = between(1, customers);
            InvBuf = {};
            InvBuf.IvNo = op.ivNo;
            InvBuf.CuNo = op.invoice.cuno;
            InvBuf.IDate = 46000 + between(0, 300);
            ItemRows.clear();
            for (int i = between(1, 30); i > 0; --i) {
                ItemRow row;
                row[kItemPrID] = QString("P%1").arg(between(1, 99999));
                row[kItemQty] = QString::number(between(1, 9));
                row[kItemPrice] = QString("%1.25").arg(between(1, 500));
                row[kItemDesc] = "crash harness item";
                op.invoice.items.push_back(row[kItemPrID].toStdString());
                ItemRows.push_back(row);
            }
            PmtRows.clear();
            for (int i = between(0, 3); i > 0; --i) {
                const int cents = between(1, 99999);
                PmtRows.push_back({"03/01/26", QString::asprintf("%d.%02d", cents / 100, cents % 100)});
                op.invoice.payments.push_back(cents);
            }
            Say(fd, Encode(op));
            QString why;
            done = StoreInvoice(rec, QString::fromStdString(op.note), nullptr, &why);
        }
        Say(fd, done ? "C" : "F");
    }
}

struct Options {
    int rounds = 0;
    uint64_t seed = 1;
    std::string dir;
};

bool Parse(int argc, char** argv, Options* o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--rounds")
            o->rounds = std::atoi(argv[i + 1]);
        else if (arg == "--seed")
            o->seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (arg == "--dir")
            o->dir = argv[i + 1];
        else
            return false;
    }
    return argc % 2 == 1 && o->rounds > 0;
}

bool Prepare(const fs::path& dir, int customers, std::string* error) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    for (const auto& e : fs::directory_iterator(CORVANE_SUPPLIED_DATA, ec))
        fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::overwrite_existing,
                      ec);
    if (ec || !fs::is_directory(dir)) {
        *error = "cannot fill " + dir.string() + ": " + ec.message();
        return false;
    }
    fs::current_path(dir);
    InitDbContext();
    GeneratorCounts counts;
    QString why;
    const bool ok = GenerateData({customers, customers * 2, 7}, &counts, &why);
    FreeDbContext();
    *error = why.toStdString();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, &o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    prompt::setHandler([](const prompt::Request& request) {
        std::fprintf(stderr, "crash_harness: %s\n", qPrintable(request.text));
        return prompt::Reply{false, {}};
    });
    EndProgram = [] { std::_Exit(3); };
    const bool temporary = o.dir.empty();
    const fs::path dir = temporary ? fs::temp_directory_path() /
                                         ("crash_harness." + std::to_string(getpid()))
                                   : fs::path(o.dir);
    constexpr int kCustomers = 40;
    std::string error;
    if (!Prepare(dir, kCustomers, &error)) {
        std::fprintf(stderr, "crash_harness: %s\n", error.c_str());
        return 2;
    }
    bool undone = false;
    if (!OpenAsTheProgramDoes(&undone, &error)) {
        std::fprintf(stderr, "crash_harness: %s\n", error.c_str());
        return 2;
    }
    State model = ReadState();
    FreeDbContext();

    std::mt19937_64 random(o.seed);
    int kills = 0, inFlight = 0, rollbacks = 0, violations = 0, confirmed = 0;
    for (int round = 1; round <= o.rounds; ++round) {
        int fds[2];
        if (pipe(fds) != 0) return 2;
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            RunChild(fds[1], o.seed * 1000003 + static_cast<uint64_t>(round), kCustomers);
        }
        close(fds[1]);
        usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, 300000)(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        std::string said;
        char buffer[4096];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
        close(fds[0]);
        if (WIFSIGNALED(status)) ++kills;

        // The confirmed operations go into the model; the last one may be in flight.
        bool problem = WIFEXITED(status);
        Op pending;
        bool open = false;
        // Each line is one write to the pipe, so a kill never cuts one short.
        std::istringstream lines(said);
        for (std::string line; std::getline(lines, line);) {
            if (line == "C" && open) {
                Apply(pending, &model);
                ++confirmed;
                open = false;
            } else if (line == "F") {
                std::printf("round %d: an operation failed: %s\n", round, Encode(pending).c_str());
                problem = true;
                open = false;
            } else {
                pending = Op{};
                open = Decode(line, &pending);
            }
        }
        if (open) ++inFlight;

        undone = false;
        if (!OpenAsTheProgramDoes(&undone, &error)) {
            std::printf("round %d: %s\n", round, error.c_str());
            ++violations;
            break;
        }
        rollbacks += undone;
        State found = ReadState();
        DbContext->closeAll();
        const QStringList damage = CheckDataFiles();
        FreeDbContext();
        for (const QString& line : damage) std::printf("round %d: %s\n", round, qPrintable(line));
        State withPending = model;
        if (open) Apply(pending, &withPending);
        if (found == withPending) {
            model = withPending;
        } else if (found != model) {
            std::printf("round %d: the tables match neither the confirmed operations nor those "
                        "and the one in flight (%s)\n",
                        round, open ? Encode(pending).c_str() : "none");
            problem = true;
            model = found;  // go on from what is there, to count later rounds on their own
        }
        if (problem || !damage.isEmpty()) ++violations;
    }
    if (temporary) fs::remove_all(dir);
    std::printf("operations confirmed %d, invoices at the end %zu\n", confirmed,
                model.invoices.size());
    std::printf("rounds %d kills %d in-transaction %d rollbacks %d violations %d\n", o.rounds,
                kills, inFlight, rollbacks, violations);
    return violations == 0 ? 0 : 1;
}
