// The print dialog of a label run: the label stock to print on, and the column and row of the
// first label, so that a partly used sheet can be used up. Choosing a stock other than the last
// one printed on stores its name in the settings.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "db/records.h"

class DigitBox;
class QComboBox;
class QPushButton;
class QToolButton;

namespace labels {

struct PrintOptions {
    LabelRecord stock;
    int column = 1;
    int row = 1;
};

// Two arrow buttons that step a number: left and right, or up and down.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(Qt::Orientation orientation, QWidget* parent);
signals:
    // -1 for the left or up arrow, +1 for the right or down arrow.
    void stepped(int step);
};

class TLabPrint : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 570;
    // LABELS must be open while the dialog is shown.
    explicit TLabPrint(QWidget* parent = nullptr);

    // After OK: the stock and the starting position; nothing after Cancel.
    std::optional<PrintOptions> Chosen() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void ComboBox1Change();
    void BtnOKClick();
    void BtnCancelClick();
    void UpDown1Click(int step);
    void UpDown2Click(int step);
    void MaskEdit1Exit();
    void MaskEdit2Exit();
    int Across() const;

    std::vector<LabelRecord> stocks_;
    bool cancelled_ = true;
    QComboBox* ComboBox1;
    DigitBox* MaskEdit1;  // starting column
    UpDown* UpDown1;
    DigitBox* MaskEdit2;  // starting row
    UpDown* UpDown2;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
};

// Shows the dialog over the open LABELS table; the options after OK, nothing after Cancel.
std::optional<PrintOptions> AskPrintOptions(QWidget* parent);

}  // namespace labels
