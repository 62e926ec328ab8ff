// The grid pick lists: a window of ten rows over a table of any size, in the order of its selected
// tag, paged by keyboard, scroll bar and wheel and searched by the start of the key, with Select,
// New and Cancel. Only the rows shown are read. Where a record stands in the order (its offset),
// and which record stands at an offset, the engine tells exactly from the index in O(tree
// depth), so no record outside the ten rows is ever read and a list over a million records
// opens and searches at once.
//
// TPickCust, TPickProd, TPickPur and the invoice list derive from GridPickList and give the table,
// the columns and the texts of a row, and may bring a search box and search of their own. Their
// state (GridPickState) lives beyond the form, so a list opened again starts where it was left.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "db/xbase/xbase.h"
#include "ui/form_help.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;

struct GridPickState {
    int TopOffset = 0;      // records above the first row, in tag order
    int MaxTop = 0;         // highest TopOffset: record count - 10, or 0 for ten records or fewer
    int32_t TargetRec = 0;  // record to highlight at the next fill; 0 after every fill
    QString LastSeek;       // the last search text sought
};

class GridPickList : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 10;

    // New is offered only when the caller allows it.
    void setNewAllowed(bool allowed);

protected:
    static constexpr bool kNumber = true;
    struct Column {
        QString header;
        int units;            // width in widths of the form's unit letter
        bool number = false;  // kNumber: an amount, quantity or number, shown right-aligned
    };
    struct Look {
        QString caption;
        QChar unitLetter;        // "B" or "M"
        int gridUnits;           // grid width in units of that letter
        int widening;            // pixels added right of the scroll bar
        bool highlightFirstRow;  // after a fill that does not show TargetRec: row 1, else unchanged
        QString helpTopic = kListsHelpTopic;  // what F1 shows
    };

    // The search box with its label: by default a plain box "Edit1" labelled "Seek:".
    struct SearchBox {
        QLineEdit* box;  // taken over by the list; none for the plain box
        QString caption;
    };

    // `result` is the table's current-record variable: read as the record to highlight, left as
    // the result (record number, 0 for New, -1 for Cancel).
    GridPickList(GridPickState& state, int32_t& result, const Look& look, QWidget* parent,
                 const SearchBox& search = {});

    virtual xbase::Table* table() const = 0;
    // Selects the order where the list chooses its own, and sets the columns.
    virtual void PrepareOrder() = 0;
    // Reads the current record and gives its text columns (the record number is added, as a
    // number column).
    virtual QStringList RowTexts() = 0;
    // Runs at the end of every fill.
    virtual void AfterFill() {}

    void SetColumns(const QList<Column>& columns);
    // The record number in the "RecNo" column of a row (0-based), 0 for a blank row.
    int32_t RowRecNo(int row) const;

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void FormShow();
    // The search, on every change of the search box: the box's text in capitals, trimmed, sought
    // unless it equals LastSeek.
    virtual void Edit1Change();
    // Seeks `key` in the order; the record found, or the next greater one, is shown and
    // highlighted. A key beyond every record changes nothing.
    void SeekAndShow(const QString& key);
    void ScrollBar1Scroll(int action);
    void ScrollBar1Released();
    void WheelScroll(int delta);
    // Runs before the grid's own handling of the key; true when the key is used up.
    bool StringGrid1KeyDown(int key);
    bool StringGrid1KeyPress(int key);
    void StringGrid1DblClick();
    void StringGrid1Click();
    void BtnSelectClick();
    void BtnNewClick();
    void BtnCancelClick();

    int OffsetOf(int32_t targetRec);
    void FillRows();

    QLineEdit* Edit1 = nullptr;  // the search box
    QTableWidget* StringGrid1 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QPushButton* BtnSelect = nullptr;
    QPushButton* BtnNew = nullptr;
    QPushButton* BtnCancel = nullptr;
    // Where a member puts controls of its own above the grid (the group box of TPickCust).
    QLayout* extraRow = nullptr;

    GridPickState& state_;
    int32_t& result_;
    bool filling_ = false;

private:
    void BuildForm(const SearchBox& search);
    void SizeGrid();
    void SetOffset(int offset);
    // Puts the table on the record at `offset` of its order; false when there is none.
    bool GoToOffset(int offset);
    // Steps the table up to `most` records forward (direction 1) or back (-1) in its order; the
    // steps it could take.
    int StepsWithin(int most, int direction);
    void ShowBlankRow(int row);
    int ScrollPosition() const;

    Look look_;
    QList<Column> columns_;
    bool shown_ = false;
    int wheelDelta_ = 0;  // wheel movement short of a whole notch
};
