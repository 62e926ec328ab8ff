// Starting a new business: a data directory named to the program that does not exist yet, or is
// empty, is made and given the supplied tables (empty, the settings table with its one record),
// copied from where the program keeps them: share/corvane/data beside an installed program, the
// build's data/ beside a built one.
#pragma once

#include <QString>

// The directory holding the supplied tables for the program in `programDir`; empty when neither
// place holds them.
QString SuppliedTablesDirectory(const QString& programDir);

struct NewBusinessStart {
    enum Outcome { NotNew, Started, Failed };
    Outcome outcome = NotNew;
    QString message;  // for Started and Failed: what to tell the user
};

// Makes `dir` a new business when it does not exist or is empty; a directory holding anything
// is left alone (NotNew). On failure whatever was copied is removed again and the message says
// why.
NewBusinessStart StartNewBusiness(const QString& dir, const QString& suppliedDir);
