// The About box: the program's picture and an OK button. At start-up it is shown as a splash
// while the data files are checked and the settings read (StartingUp), without its OK button.
#pragma once

#include <QDialog>

class QPushButton;

// True from the start of the main window's first showing until the splash ends.
extern bool StartingUp;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QPushButton* OKButton;
};
