// Checking tables that come from outside the data directory before they take the place of the
// program's own: a backup being restored, the earlier product's tables being converted. Each
// table is opened alone (no index) from a staging directory and given the engine's own check of
// the table and its memo file; then every field the program will read must be there with a type
// it can read. A refusal lists the first few problems and how many more there are, so that a
// table damaged in every record does not bury the message.
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "db/xbase/xbase.h"

// A field the program reads from a taken table, and the types it can read it as ("N", "DC").
struct WantedField {
    std::string name;
    std::string types;
};

// Every field of the supplied table `table`, by its type.
std::vector<WantedField> SuppliedFields(const std::string& table);

// The problems of table `name` in `context`'s directory, shown as `shownAs` (the file the user
// knows: the engine's lines name the file in the context's directory, which is replaced by
// `shownAs`'s directory): the engine's check, then each wanted field missing or of another type.
// One line per problem; empty when the table may be taken. Leaves the table closed and no error
// pending.
QStringList CheckTakenTable(xbase::Context* context, const std::string& name,
                            const QString& shownAs, const std::vector<WantedField>& wanted);

// The first `shown` lines of problems and, when there are more, a last line saying how many.
QStringList FirstProblems(const QStringList& problems, int shown = 5);
