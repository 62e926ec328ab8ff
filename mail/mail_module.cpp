#include "mail/mail_module.h"

#include <curl/curl.h>
#include <libsecret/secret.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void* OpenTransfer() {
    InitCurlOnce();
    return curl_easy_init();
}

void CloseTransfer(void* transfer) {
    if (transfer) curl_easy_cleanup(static_cast<CURL*>(transfer));
}

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    const auto* request = static_cast<const MailTransferRequest*>(user);
    if (type == CURLINFO_HEADER_OUT || type == CURLINFO_HEADER_IN)
        request->onExchange(request->context, type == CURLINFO_HEADER_OUT, data, size);
    return 0;
}

struct Upload {
    const MailTransferRequest* request;
    size_t offset = 0;
};

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const size_t n = std::min(upload->request->size - upload->offset, size * count);
    std::memcpy(buffer, upload->request->data + upload->offset, n);
    upload->offset += n;
    return n;
}

MailTransferFailure FailureOf(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return MailTransferFailure::None;
        case CURLE_LOGIN_DENIED:
            return MailTransferFailure::LoginDenied;
        case CURLE_COULDNT_RESOLVE_HOST:
            return MailTransferFailure::HostNotFound;
        case CURLE_COULDNT_CONNECT:
            return MailTransferFailure::CouldNotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return MailTransferFailure::TimedOut;
        case CURLE_PEER_FAILED_VERIFICATION:
            return MailTransferFailure::NotTrusted;
        case CURLE_SSL_CACERT_BADFILE:
            return MailTransferFailure::CertificateUnreadable;
        case CURLE_SSL_CONNECT_ERROR:
            return MailTransferFailure::SecureConnection;
        case CURLE_USE_SSL_FAILED:
            return MailTransferFailure::NoStartTls;
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
            return MailTransferFailure::ConnectionClosed;
        case CURLE_WEIRD_SERVER_REPLY:
            return MailTransferFailure::NotSmtp;
        default:
            return MailTransferFailure::Other;
    }
}

// Copies `text` into a field of `size` bytes, cut short when it does not fit.
void CopyText(char* field, size_t size, const char* text) {
    const size_t length = strnlen(text, size - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

void Send(void* transfer, const MailTransferRequest* request, MailTransferOutcome* outcome) {
    auto* curl = static_cast<CURL*>(transfer);
    curl_slist* recipients = nullptr;
    for (size_t i = 0; i < request->recipientCount; ++i)
        recipients = curl_slist_append(recipients, request->recipients[i]);
    Upload upload{request};
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, request->url);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(
        curl, CURLOPT_USE_SSL,
        request->startTls ? static_cast<long>(CURLUSESSL_ALL) : static_cast<long>(CURLUSESSL_NONE));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (*request->certificate) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, request->certificate);
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    if (*request->user) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, request->user);
        curl_easy_setopt(curl, CURLOPT_PASSWORD, request->password);
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, request->from);
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnRead);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(request->size));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request->connectMs);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, request->stallSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, request->stallSeconds);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, request);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_slist_free_all(recipients);
    *outcome = {};
    outcome->failure = FailureOf(code);
    long osError = 0;
    curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &osError);
    outcome->osError = static_cast<int>(osError);
    curl_easy_getinfo(curl, CURLINFO_TOTAL_TIME, &outcome->seconds);
    CopyText(outcome->detail, sizeof outcome->detail, errorText);
    CopyText(outcome->description, sizeof outcome->description, curl_easy_strerror(code));
}

// The secret store's schema: one password per mail server and user name.
const SecretSchema* Schema() {
    static const SecretSchema schema = {"org.corvane.MailPassword",
                                        SECRET_SCHEMA_NONE,
                                        {{"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return &schema;
}

bool LookUpPassword(const char* server, const char* user, char** password) {
    GError* error = nullptr;
    *password = secret_password_lookup_sync(Schema(), nullptr, &error, "server", server, "user",
                                            user, nullptr);
    const bool answered = error == nullptr;
    if (error) g_error_free(error);
    return answered;
}

void FreePassword(char* password) {
    if (password) secret_password_free(password);
}

bool KeepPassword(const char* label, const char* server, const char* user, const char* password) {
    GError* error = nullptr;
    const gboolean kept =
        secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label, password, nullptr,
                                   &error, "server", server, "user", user, nullptr);
    if (error) g_error_free(error);
    return kept;
}

// A store that does not answer keeps nothing to clear.
void ClearPassword(const char* server, const char* user) {
    GError* error = nullptr;
    secret_password_clear_sync(Schema(), nullptr, &error, "server", server, "user", user, nullptr);
    if (error) g_error_free(error);
}

const MailModuleTable kTable = {kMailModuleVersion, OpenTransfer, CloseTransfer, Send,
                                LookUpPassword,     FreePassword, KeepPassword,  ClearPassword};

}  // namespace

extern "C" __attribute__((visibility("default"))) const MailModuleTable* corvane_mail_module() {
    return &kTable;
}
