// The send command of corvane-admin: sends invoices, bills, statements or reminder letters by
// e-mail, one message per document, with the selection the report command takes for them, the
// mail settings of the data directory (the server, its security, the user name and the sender
// may be given as options instead, for scripted runs), and the password from the secret store,
// the user's file or the environment. Each message goes on a line of its own with its result;
// the last line counts the messages sent, refused and skipped for want of an address. With
// --dry-run DIR each message is written to an .eml file in DIR instead and nothing is sent or
// recorded.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <optional>

#include "mail/mail_settings.h"
#include "reports/report_command.h"

namespace reports {

struct SendRequest {
    ReportRequest documents;
    QString dryRunDir;  // absolute; empty to send
    bool resend = false;
    // What the options set in place of the stored settings.
    std::optional<QString> server;
    std::optional<int> port;
    std::optional<MailSecurity> security;
    std::optional<QString> user;
    std::optional<QString> sender;
};

// The command's usage line, indented as the other commands' are.
QString SendUsage();

// Reads the arguments that follow "send"; nothing, with `why` saying what is wrong, when they are
// not valid. DIR is taken from `base`.
std::optional<SendRequest> ParseSendArgs(const QStringList& args, const QDir& base, QString* why);

// The settings with the request's options put in place of the stored ones.
MailSettings WithOverrides(MailSettings settings, const SendRequest& request);

// Runs the request on the data directory (as RunReport runs a report): 0 when every message was
// sent (or written), 1 when one was refused, the run stopped, or nothing could be sent.
int RunSend(const SendRequest& request);

}  // namespace reports
