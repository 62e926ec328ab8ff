// The payment terms and reminder levels setup ("Terms and Reminders"): the business's terms in
// days (blank for none), customers with terms of their own, and up to three reminder levels,
// each with its days past due (blank for a level not used), fee and letter text. Save stores
// them all as one change; when a value is wrong or the write fails the user is told and the
// dialog stays open with the values as typed. The reading of the typed values is a set of plain
// functions beside the form.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "db/chasing_tables.h"
#include "ui/form_parts.h"

class NumberBox;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

// What a row of the customers' table holds, as typed.
struct CustomerTermsText {
    QString customer;
    QString days;
};

// What a level holds, as typed; the fee as the box read it.
struct LevelText {
    QString days;
    double fee = 0;
    QString letter;
};

// Each reads typed values into what is stored; the message to show when one is wrong (and
// nothing is taken), empty when all are right. Terms: blank for none, else 0 to kMaxTermsDays.
// Customers: rows blank in both columns are passed over. Levels: a level with blank days is not
// used; the days of the levels used rise from 1 to kMaxReminderDays, fees are not negative.
QString TakeTerms(const QString& text, const std::vector<CustomerTermsText>& rows,
                  PaymentTerms* terms);
QString TakeLevels(const std::vector<LevelText>& typed, std::vector<ReminderLevel>* levels);

class TChasing : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 615;
    explicit TChasing(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    // Keeps one blank row at the end of the customers' table.
    void StringGrid1Changed();

    QLineEdit* Edit1 = nullptr;  // the business's terms
    QTableWidget* StringGrid1 = nullptr;
    struct LevelBoxes {
        QLineEdit* days = nullptr;
        NumberBox* fee = nullptr;
        QPlainTextEdit* letter = nullptr;
    };
    LevelBoxes levels_[kMaxReminderLevels];
};
