// The group pick list: every group of GROUPS by name in a list box, with a search box that
// highlights the first name starting with, or sorting after, the text typed. The caller hands in
// CurGroupRec and finds the choice there when the list closes; the order GROUPS had before is
// put back. A caller may say above the list why a group is asked for.
#pragma once

#include <QStringList>

#include "ui/list_pick_list.h"

class QLabel;
class QLineEdit;

class TPickGroup : public ListPickList {
    Q_OBJECT
public:
    explicit TPickGroup(QWidget* parent = nullptr);

    void done(int result) override;
    // The text above the list saying why a group is asked for; empty hides it.
    void setReason(const QString& why);

protected:
    xbase::Table* table() const override;
    QString ItemText() override;
    void ItemListed(const QString& name) override;
    void FormShow() override;

private:
    void Edit1Change();
    void FormClose();

    QLabel* LabelWhy = nullptr;
    QLineEdit* Edit1 = nullptr;  // "Seek:"
    QStringList searchNames_;    // the listed names in upper case
    xbase::Tag* previousTag_ = nullptr;
    bool tagChanged_ = false;
};
