// Verifying a data directory (the current one) against the supplied tables: no change left
// unfinished by a crash, every table present
// with its memo file and index files, its fields and tags as described, the engine's own check
// of each table, memo file and index, the one record of CVN1 and ImpDirs, and no customer,
// invoice or product number used twice.
#pragma once

#include <QStringList>

#include <vector>

// What puts a problem right.
enum class Remedy {
    Repair,   // corvane-admin repair: table damage it mends (record count, deletion flags, memo
              // pointers) and every index problem, the indexes being made afresh
    Restore,  // a backup: a missing file, a table of another layout, damage repair cannot mend
    Correct,  // the records themselves, in the program: a number used twice
    Settle,   // a command that writes, or the program's start: a change or rewrite left unfinished
};

struct DataProblem {
    QString text;
    Remedy remedy;
    int count = 1;  // the problems the line stands for: more than one for "N more ..."
};

// Every problem, in the order found, each with what puts it right; empty when everything is
// whole. A table's own damage is listed for its first few records, then one line counts the
// rest.
// Needs DbContext; leaves no table open.
std::vector<DataProblem> FindDataProblems();

// The texts of FindDataProblems.
QStringList CheckDataFiles();

// The cheap check of start-up: each table's header and its memo file's against their sizes, no
// record read. One line per damaged table, naming the file and what is wrong.
QStringList DamagedTableHeaders();
