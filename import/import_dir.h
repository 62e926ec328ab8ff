// The import directories dialog: where the customer information files and the order files of
// the order import are found. It shows the stored directories each time it is opened, lets them
// be typed or chosen with a directory chooser, and Save stores both at once; when the write
// fails the user is told and the dialog stays open with the paths as typed. It is shown without
// waiting for it: the main window stays usable behind it.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class TImportdir : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 640;
    explicit TImportdir(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void BInfoClick();
    void BOrderClick();
    void BSaveClick();
    void BCancelClick();
    // Puts the directory chosen under `caption` into `box`; empty when the chooser is cancelled.
    void ChooseInto(QLineEdit* box, const QString& caption);

    QPushButton* BInfo = nullptr;
    QPushButton* BOrder = nullptr;
    QLineEdit* Edit1 = nullptr;  // the information directory
    QLineEdit* Edit2 = nullptr;  // the order directory
    QPushButton* BSave = nullptr;
    QPushButton* BCancel = nullptr;
};
