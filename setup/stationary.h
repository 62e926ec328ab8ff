// The stationery setup: the letterhead that invoices, bills and statements print (the company's
// name and address lines with their justification, a logo picture with its printed size, the
// top margin) and the closing and signature lines, kept in the settings record. The logo is a
// BMP, PNG or JPEG file chosen with the "Logo File" button; a name that does not lead to a file
// is stored as no logo. Save writes the whole record at once; when the write fails the user is
// told and the dialog stays open with the values as typed. Cancel changes nothing.
#pragma once

#include "ui/form_parts.h"

class NumberBox;
class QButtonGroup;
class QLineEdit;

class TStationary : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 610;
    explicit TStationary(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    void BtnLogoClick();

    QLineEdit* Edit1 = nullptr;      // the logo file
    QPushButton* BtnLogo = nullptr;  // "Logo File"
    NumberBox* MaskEdit1 = nullptr;  // top margin, inches
    NumberBox* MaskEdit2 = nullptr;  // logo height, inches
    NumberBox* MaskEdit3 = nullptr;  // logo width, inches
    QLineEdit* Edit2 = nullptr;      // company name
    QLineEdit* Edit3 = nullptr;      // address lines 1 to 4
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;  // closing line
    QLineEdit* Edit8 = nullptr;  // signature line
    QButtonGroup* Justification = nullptr;  // Left, Center, Right: ids 1, 2, 3
};
