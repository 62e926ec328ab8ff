// The list-box pick lists of the small tables: every record's name in a list, in the order of a
// tag, each marked "<DELETED>" when it is, with Select, New and Cancel. TPickGroup (with a search
// box) and TPickLab derive from ListPickList and say which table and names they list.
#pragma once

#include <QDialog>
#include <cstdint>

#include "db/xbase/xbase.h"

class QListWidget;
class QPushButton;
class QVBoxLayout;

class ListPickList : public QDialog {
    Q_OBJECT
public:
    // New is offered only when the caller allows it.
    void setNewAllowed(bool allowed);

protected:
    // `result` is the table's current-record variable: read as the record to highlight, left as
    // the result (record number, 0 for New, -1 for Cancel).
    ListPickList(const QString& caption, int32_t& result, QWidget* parent);

    virtual xbase::Table* table() const = 0;
    // Reads the current record and gives its name as listed (before any deleted mark).
    virtual QString ItemText() = 0;
    // Runs for every item listed, with its name.
    virtual void ItemListed(const QString& /*name*/) {}

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Fills the list from the table in its selected order and highlights the handed-in record.
    virtual void FormShow();
    void ListBox1DblClick();
    void ListBox1KeyPress();
    void BtnSelectClick();
    void BtnNewClick();
    void BtnCancelClick();

    QListWidget* ListBox1 = nullptr;
    QPushButton* BtnSelect = nullptr;
    QPushButton* BtnNew = nullptr;
    QPushButton* BtnCancel = nullptr;
    QVBoxLayout* listColumn = nullptr;  // where TPickGroup puts its search box, above the list
    int32_t& result_;

private:
    bool shown_ = false;
};
