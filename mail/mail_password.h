// The password for the mail server, kept outside the data directory: in the desktop's secret
// store (under a schema of the program's own, keyed by server and user name) when one answers,
// otherwise in a file of the user's configuration folder that only the user can read. A file
// that others can read is refused rather than used. For scripted runs the environment variable
// CORVANE_SMTP_PASSWORD gives the password and wins over both. The password is never written to
// the data tables, a backup, a log or a composed message. The secret store is reached through the
// mail module (mail_module.h); when it cannot be opened only the file answers, and a password not
// found there is told with the module's file and the reason.
#pragma once

#include <QString>

struct MailSettings;

// The environment variable that gives the password for a scripted run.
inline constexpr char kPasswordVariable[] = "CORVANE_SMTP_PASSWORD";

// The password for the settings' server and user. True with it in *password when one is found;
// false when none is: *error is then empty, or says why a stored one could not be used (a file
// others can read, a file that could not be read, a secret store the mail module could not reach).
bool FindMailPassword(const MailSettings& settings, QString* password, QString* error);

// Keeps the password for the settings' server and user, in the secret store when one answers,
// else in the file (made readable by the user alone). False with the reason in *error.
bool StoreMailPassword(const MailSettings& settings, const QString& password, QString* error);

// Removes the password kept for the settings' server and user from both places; false with the
// reason in *error when one could not be removed. Nothing kept is no failure.
bool ForgetMailPassword(const MailSettings& settings, QString* error);

// The file that keeps passwords when no secret store answers.
QString MailPasswordFile();
