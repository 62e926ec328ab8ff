// The mail module: a library loaded on first use that holds what only sending and the desktop's
// secret store need, the transfer to the mail server (libcurl) and the secret store's calls
// (libsecret). The programs link neither library, so that starting them loads neither and their
// many dependencies. The module exports one function, kMailModuleEntry, which returns its table
// of functions; only plain C types cross, and the table's version says whether the module fits
// the program. Everything else (composing messages, the reasons told to the user, the password
// file, the settings) stays in the mail library, which opens the module (mail_module_loader.h).
#pragma once

#include <cstddef>

// Raised whenever the table or a structure below changes.
inline constexpr int kMailModuleVersion = 1;
// The module's file name, beside the programs or in lib/corvane beside their bin folder.
inline constexpr char kMailModuleFile[] = "corvane-mail.so";
// The exported function that returns the module's table (a MailModuleEntry).
inline constexpr char kMailModuleEntry[] = "corvane_mail_module";

// Why a transfer failed, as far as the transfer can tell; the refusals of the server's own
// replies are read from the exchange (MailTransferRequest::onExchange).
enum class MailTransferFailure : int {
    None,                   // the server took the message
    LoginDenied,            // the server refused the log-in
    HostNotFound,           // no such host name
    CouldNotConnect,        // see osError
    TimedOut,               // see seconds
    NotTrusted,             // the server's certificate failed the check
    CertificateUnreadable,  // the certificate file to trust could not be read
    SecureConnection,       // the secure connection could not be made
    NoStartTls,             // STARTTLS was asked for but the server does not offer it
    ConnectionClosed,       // the server closed the connection before it took the message
    NotSmtp,                // the server's reply is not SMTP
    Other,                  // see detail and description
};

struct MailTransferRequest {
    const char* url;   // smtp:// or smtps://, then host:port
    bool startTls;     // go on only encrypted, by STARTTLS
    const char* user;  // empty: no log-in
    const char* password;
    const char* certificate;        // the one certificate to trust; empty: the system's authorities
    const char* from;               // <address>
    const char* const* recipients;  // <address> each
    std::size_t recipientCount;
    const char* data;  // the composed message
    std::size_t size;
    long connectMs;     // to reach the server and finish the handshakes
    long stallSeconds;  // the longest the server may stay silent
    // Called with each piece of the exchange: the lines sent (outgoing) and the replies received.
    void (*onExchange)(void* context, bool outgoing, const char* text, std::size_t size);
    void* context;
};

struct MailTransferOutcome {
    MailTransferFailure failure;
    int osError;            // the system's error number of a failed connect
    double seconds;         // how long the transfer waited
    char detail[256];       // the transfer's own words on the failure, when it has any
    char description[128];  // the transfer's general words for the failure
};

struct MailModuleTable {
    int version;  // kMailModuleVersion of the module's build
    // A transfer keeps one connection for a run of messages; null when none could be made.
    void* (*openTransfer)();
    void (*closeTransfer)(void* transfer);
    void (*send)(void* transfer, const MailTransferRequest* request, MailTransferOutcome* outcome);
    // The secret store, keyed by server and user name. lookUpPassword is true when the store
    // answered, with the password it keeps in *password (freed by freePassword) or null.
    bool (*lookUpPassword)(const char* server, const char* user, char** password);
    void (*freePassword)(char* password);
    bool (*keepPassword)(const char* label, const char* server, const char* user,
                         const char* password);
    void (*clearPassword)(const char* server, const char* user);
};

using MailModuleEntry = const MailModuleTable* (*)();
