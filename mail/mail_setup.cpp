#include "mail/mail_setup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QThread>

#include "core/prompt.h"
#include "db/mail_settings_table.h"
#include "mail/mail_message.h"
#include "mail/mail_password.h"
#include "mail/smtp_session.h"

namespace {

const char* const kSecurityCaptions[] = {"None", "STARTTLS", "TLS"};
const char* const kDocumentCaptions[] = {"Invoices", "Bills", "Statements", "Reminder letters"};

const QString kTestCaption = "Send a test message";

// The password box shows this while a password is kept, so that the kept one is never shown.
const QString kKeptPassword = QString(8, QChar(0x25cf));

}  // namespace

QString CheckMailSettings(const MailSettings& settings) {
    if (settings.server.trimmed().isEmpty()) return {};
    if (settings.server.trimmed().contains(' '))
        return "The mail server's name cannot hold spaces.";
    static const QRegularExpression withPort("^[^:]+:[0-9]*$");
    if (withPort.match(settings.server.trimmed()).hasMatch())
        return "Type the mail server's name alone, and its port under Port.";
    if (!IsMailAddress(settings.senderAddress.trimmed()))
        return "Type the sender's address as a mail address, such as accounts@example.com.";
    if (!settings.replyTo.trimmed().isEmpty() && !IsMailAddress(settings.replyTo.trimmed()))
        return "The reply-to address is not a mail address; leave it blank for none.";
    return {};
}

TMailSetup::TMailSetup(QWidget* parent)
    : EditorForm("TMailSetup", "Mail Settings", kHelpTopic, parent) {
    EditServer = NamedEdit(this, "EditServer", kMailAddressWidth);
    EditPort = new QSpinBox(this);
    EditPort->setObjectName("EditPort");
    EditPort->setRange(1, 65535);
    ComboSecurity = new QComboBox(this);
    ComboSecurity->setObjectName("ComboSecurity");
    for (const char* caption : kSecurityCaptions) ComboSecurity->addItem(caption);
    EditUser = NamedEdit(this, "EditUser", kMailAddressWidth);
    EditPassword = NamedEdit(this, "EditPassword", 0);
    EditPassword->setEchoMode(QLineEdit::Password);
    EditSenderName = NamedEdit(this, "EditSenderName", kMailNameWidth);
    EditSender = NamedEdit(this, "EditSender", kMailAddressWidth);
    EditReplyTo = NamedEdit(this, "EditReplyTo", kMailAddressWidth);
    CheckCopy = new QCheckBox("Send a copy of every message to the sender", this);
    CheckCopy->setObjectName("CheckCopy");
    EditCertificate = NamedEdit(this, "EditCertificate", kMailPathWidth);
    EditCertificate->setPlaceholderText("blank: the system's certificate authorities");
    BtnCertificate = NamedButton(this, "BtnCertificate", "Browse...");
    ComboDocument = new QComboBox(this);
    ComboDocument->setObjectName("ComboDocument");
    for (const char* caption : kDocumentCaptions) ComboDocument->addItem(caption);
    EditSubject = NamedEdit(this, "EditSubject", kMailSubjectWidth);
    MemoBody = NamedMemo(this, "MemoBody");
    MemoBody->setMinimumHeight(110);
    BtnTest = NamedButton(this, "BtnTest", kTestCaption);

    auto* server = new QGroupBox(" Mail Server ", this);
    server->setObjectName("GroupBox1");
    auto* s = new QGridLayout(server);
    s->addWidget(NamedLabel(server, "Label1", "Server:"), 0, 0);
    s->addWidget(EditServer, 0, 1, 1, 3);
    s->addWidget(NamedLabel(server, "Label2", "Security:"), 1, 0);
    s->addWidget(ComboSecurity, 1, 1);
    s->addWidget(NamedLabel(server, "Label3", "Port:"), 1, 2, Qt::AlignRight);
    s->addWidget(EditPort, 1, 3);
    s->addWidget(NamedLabel(server, "Label4", "User name:"), 2, 0);
    s->addWidget(EditUser, 2, 1, 1, 3);
    s->addWidget(NamedLabel(server, "Label5", "Password:"), 3, 0);
    s->addWidget(EditPassword, 3, 1, 1, 3);
    s->addWidget(NamedLabel(server, "Label6", "Trusted certificate:"), 4, 0);
    s->addWidget(EditCertificate, 4, 1, 1, 2);
    s->addWidget(BtnCertificate, 4, 3);
    s->setColumnStretch(1, 1);

    auto* sender = new QGroupBox(" Sender ", this);
    sender->setObjectName("GroupBox2");
    auto* f = new QGridLayout(sender);
    f->addWidget(NamedLabel(sender, "Label7", "Name:"), 0, 0);
    f->addWidget(EditSenderName, 0, 1);
    f->addWidget(NamedLabel(sender, "Label8", "Address:"), 1, 0);
    f->addWidget(EditSender, 1, 1);
    f->addWidget(NamedLabel(sender, "Label9", "Reply to:"), 2, 0);
    f->addWidget(EditReplyTo, 2, 1);
    f->addWidget(CheckCopy, 3, 0, 1, 2);
    f->setColumnStretch(1, 1);

    auto* texts = new QGroupBox(" Messages ", this);
    texts->setObjectName("GroupBox3");
    auto* t = new QGridLayout(texts);
    t->addWidget(NamedLabel(texts, "Label10", "Message for:"), 0, 0);
    t->addWidget(ComboDocument, 0, 1, Qt::AlignLeft);
    t->addWidget(NamedLabel(texts, "Label11", "Subject:"), 1, 0);
    t->addWidget(EditSubject, 1, 1);
    t->addWidget(MemoBody, 2, 0, 1, 2);
    QLabel* placeholders =
        NamedLabel(texts, "Label12",
                   "In a subject or text these stand for:\n" + MailPlaceholders().join('\n'));
    t->addWidget(placeholders, 3, 0, 1, 2);
    t->setColumnStretch(1, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(server, 0, 0);
    grid->addWidget(sender, 1, 0);
    grid->addWidget(texts, 2, 0);
    QHBoxLayout* buttons = AddFormButtons(grid);
    buttons->insertWidget(0, BtnTest);
    SetTabOrder({EditServer, ComboSecurity, EditPort, EditUser, EditPassword, EditCertificate,
                 BtnCertificate, EditSenderName, EditSender, EditReplyTo, CheckCopy, ComboDocument,
                 EditSubject, MemoBody, BtnTest, BtnSave, BtnCancel});

    connect(ComboSecurity, &QComboBox::currentIndexChanged, this, &TMailSetup::SecurityChanged);
    connect(EditPort, &QSpinBox::valueChanged, this, [this] { portTyped_ = true; });
    connect(ComboDocument, &QComboBox::currentIndexChanged, this, &TMailSetup::DocumentChanged);
    connect(BtnTest, &QPushButton::clicked, this, &TMailSetup::BtnTestClick);
    connect(BtnCertificate, &QPushButton::clicked, this, [this] {
        if (const auto file =
                prompt::openFileName(this, "Trusted Certificate", EditCertificate->text(),
                                     "Certificates (*.pem *.crt *.cer);;All files (*)"))
            EditCertificate->setText(*file);
    });
    resize(560, 720);
}

void TMailSetup::reject() {
    if (!sending_) EditorForm::reject();
}

void TMailSetup::FormShow() {
    QString error;
    if (!LoadMailSettings(&shown_, &error)) {
        prompt::warning(this, "Unable to read the mail settings.\n" + error);
        reject();
        return;
    }
    EditServer->setText(shown_.server);
    {
        const QSignalBlocker quiet(ComboSecurity);
        ComboSecurity->setCurrentIndex(static_cast<int>(shown_.security));
    }
    {
        const QSignalBlocker quiet(EditPort);
        EditPort->setValue(shown_.port);
    }
    portTyped_ = shown_.port != UsualPort(shown_.security);
    EditUser->setText(shown_.user);
    QString password;
    QString passwordError;
    EditPassword->setText(!shown_.server.isEmpty() &&
                                  FindMailPassword(shown_, &password, &passwordError)
                              ? kKeptPassword
                              : QString());
    if (!passwordError.isEmpty()) prompt::warning(this, passwordError);
    EditSenderName->setText(shown_.senderName);
    EditSender->setText(shown_.senderAddress);
    EditReplyTo->setText(shown_.replyTo);
    CheckCopy->setChecked(shown_.copyToSender);
    EditCertificate->setText(shown_.trustedCertificate);
    {
        const QSignalBlocker quiet(ComboDocument);
        ComboDocument->setCurrentIndex(0);
    }
    documentShown_ = 0;
    EditSubject->setText(shown_.templates[0].subject);
    MemoBody->setPlainText(shown_.templates[0].body);
    EditServer->setFocus();
}

void TMailSetup::SecurityChanged() {
    if (!portTyped_) {
        const QSignalBlocker quiet(EditPort);
        EditPort->setValue(UsualPort(static_cast<MailSecurity>(ComboSecurity->currentIndex())));
    }
}

void TMailSetup::DocumentChanged() {
    shown_.templates[documentShown_] = {EditSubject->text(), MemoBody->toPlainText()};
    documentShown_ = ComboDocument->currentIndex();
    EditSubject->setText(shown_.templates[documentShown_].subject);
    MemoBody->setPlainText(shown_.templates[documentShown_].body);
}

MailSettings TMailSetup::Typed() {
    MailSettings typed = shown_;
    typed.server = EditServer->text().trimmed();
    typed.port = EditPort->value();
    typed.security = static_cast<MailSecurity>(ComboSecurity->currentIndex());
    typed.user = EditUser->text().trimmed();
    typed.senderName = EditSenderName->text().trimmed();
    typed.senderAddress = EditSender->text().trimmed();
    typed.replyTo = EditReplyTo->text().trimmed();
    typed.copyToSender = CheckCopy->isChecked();
    typed.trustedCertificate = EditCertificate->text().trimmed();
    typed.templates[documentShown_] = {EditSubject->text(), MemoBody->toPlainText()};
    return typed;
}

bool TMailSetup::TypedPassword(QString* password, QString* error) const {
    password->clear();
    error->clear();
    if (EditPassword->text() != kKeptPassword) {
        *password = EditPassword->text();
        return true;
    }
    // The kept password belongs to the server and user shown when the dialog opened.
    return FindMailPassword(shown_, password, error) || error->isEmpty();
}

void TMailSetup::BtnTestClick() {
    const MailSettings typed = Typed();
    QString problem = CheckMailSettings(typed);
    if (typed.server.isEmpty()) problem = "Type the name of your mail server first.";
    if (!problem.isEmpty()) {
        prompt::information(this, problem);
        return;
    }
    QString password;
    QString error;
    if (!TypedPassword(&password, &error)) {
        prompt::warning(this, error);
        return;
    }
    // The message goes out beside the window, which stays drawn but takes no input meanwhile.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BtnTest->setText("Sending...");
    setEnabled(false);
    sending_ = true;
    SendOutcome outcome;
    QEventLoop waiting;
    QThread* sending = QThread::create([&] { outcome = SendTestMessage(typed, password); });
    connect(sending, &QThread::finished, &waiting, &QEventLoop::quit);
    sending->start();
    waiting.exec();
    sending->wait();
    delete sending;
    sending_ = false;
    setEnabled(true);
    BtnTest->setText(kTestCaption);
    QApplication::restoreOverrideCursor();
    if (outcome.sent)
        prompt::information(this, "The test message was sent to " + typed.senderAddress +
                                      ". Look for it in that mailbox.");
    else
        prompt::warning(this, "The test message was not sent.\n" + outcome.reason);
}

void TMailSetup::BtnSaveClick() {
    const MailSettings typed = Typed();
    if (const QString problem = CheckMailSettings(typed); !problem.isEmpty()) {
        prompt::information(this, problem);
        return;
    }
    QString error;
    if (!StoreMailSettings(typed, &error)) {
        prompt::warning(this, "Unable to save the mail settings . . Please try again.\n" + error);
        return;
    }
    // A password typed is kept for the server and user typed; the one kept already follows them
    // when they change; a box emptied forgets it.
    QString password;
    const bool moved = EditPassword->text() == kKeptPassword &&
                       (typed.server != shown_.server || typed.user != shown_.user);
    bool kept = true;
    if (typed.server.isEmpty())
        kept = true;
    else if (EditPassword->text().isEmpty())
        kept = ForgetMailPassword(typed, &error);
    else if (EditPassword->text() != kKeptPassword || moved)
        kept = TypedPassword(&password, &error) && StoreMailPassword(typed, password, &error);
    if (!kept) {
        prompt::warning(this,
                        "The mail settings were saved, but the password could not be "
                        "kept.\n" +
                            error);
        return;
    }
    accept();
}
