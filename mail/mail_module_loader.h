// Opening the mail module (mail_module.h) on first use. The module is looked for beside the
// running program, then in lib/corvane beside the program's bin folder (where the package puts
// it); the environment variable CORVANE_MAIL_MODULE names another file to open instead, for an
// installation laid out otherwise. A module opened stays open for the rest of the run; one that
// could not be opened is looked for again at the next use, so that installing it needs no
// restart.
#pragma once

#include <QString>

struct MailModuleTable;

// The environment variable that names the module's file.
inline constexpr char kMailModuleVariable[] = "CORVANE_MAIL_MODULE";

// The mail module's table, or null with *error saying which file could not be opened and why.
const MailModuleTable* MailModule(QString* error);
