// The mail settings dialog ("Mail Settings"): the server, its port and security, the user name
// and password, the sender, the reply-to address, a copy to the sender, a certificate to trust,
// and the subject and body of the messages per kind of document with the placeholders listed
// beside them. OK stores the settings in the data directory and the password in the secret store
// (or the user's file); the password is never shown back. "Send a test message" sends one
// message to the sender's own address with what the dialog shows and tells how it went.
#pragma once

#include "mail/mail_settings.h"
#include "ui/form_parts.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// Reads the typed settings: the message to show when one is wrong (nothing is taken), empty when
// all are right. A server needs a sender address; addresses must be plain mail addresses.
QString CheckMailSettings(const MailSettings& settings);

class TMailSetup : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 617;
    explicit TMailSetup(QWidget* parent = nullptr);

    // Closing waits while the test message is on its way.
    void reject() override;

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    void BtnTestClick();
    // Puts the usual port of the chosen security in the port box while the user has not typed one.
    void SecurityChanged();
    // Shows the template of the chosen kind, keeping what was typed in the one shown before.
    void DocumentChanged();
    MailSettings Typed();
    // The password to log in with: the one typed, or the one kept while the box shows that one
    // is. False with the reason in *error when the kept one cannot be read.
    bool TypedPassword(QString* password, QString* error) const;

    QLineEdit* EditServer = nullptr;
    QSpinBox* EditPort = nullptr;
    QComboBox* ComboSecurity = nullptr;
    QLineEdit* EditUser = nullptr;
    QLineEdit* EditPassword = nullptr;
    QLineEdit* EditSenderName = nullptr;
    QLineEdit* EditSender = nullptr;
    QLineEdit* EditReplyTo = nullptr;
    QCheckBox* CheckCopy = nullptr;
    QLineEdit* EditCertificate = nullptr;
    QPushButton* BtnCertificate = nullptr;
    QComboBox* ComboDocument = nullptr;
    QLineEdit* EditSubject = nullptr;
    QPlainTextEdit* MemoBody = nullptr;
    QPushButton* BtnTest = nullptr;

    MailSettings shown_;
    int documentShown_ = 0;
    bool portTyped_ = false;
    bool sending_ = false;
};
