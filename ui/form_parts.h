// Small pieces the master-data editors are built from: named boxes and buttons, labels, the tab
// order, and running a form's FormShow each time it is shown; and what every window of the
// program shares: room for its title, and numbers right-aligned in its grids.
#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// A single-line box with the Enter-as-Tab behaviour; maxLength 0 sets no typing limit. It takes
// only text the tables can store (storable_text.h).
QLineEdit* NamedEdit(QWidget* form, const char* name, int maxLength);
// A memo box: Enter starts a new line, Tab moves on; it takes only text the tables can store.
QPlainTextEdit* NamedMemo(QWidget* form, const char* name);
// A button that Enter in a box never presses; Enter on the button itself does.
QPushButton* NamedButton(QWidget* form, const char* name, const QString& caption);
QLabel* NamedLabel(QWidget* form, const char* name, const QString& caption);
// Sets the tab order of the controls as listed.
void SetTabOrder(const QList<QWidget*>& controls);

// The width a window needs for the window manager to draw `title` in full: the title in the
// title-bar font, with room for the window's icon and buttons on the bar.
int TitleBarWidth(const QString& title);
// Keeps `window` at least TitleBarWidth of its title wide, now and whenever the title changes,
// by a strut across its layout (a vertical box or a grid), which therefore must be set.
void FitToTitle(QWidget* window);

// How the cells of a grid's number columns (amounts, quantities, prices, counts, record numbers)
// stand; text columns keep the default, left.
constexpr Qt::Alignment kNumberAlignment = Qt::AlignRight | Qt::AlignVCenter;

// A modal editor whose FormShow runs each time it is shown, with its Save, Delete and Cancel
// buttons in a row under its fields. What its boxes, check boxes and grids show is noted once
// FormShow has run; Cancel, Escape or the close box on a form that shows anything else first ask
// kDiscardQuestion (OK/Cancel, Cancel the default) and leave the form open unless it is answered
// OK. Save and Delete close it without asking.
class EditorForm : public QDialog {
    Q_OBJECT
public:
    static const QString kDiscardQuestion;
    void reject() override;

protected:
    EditorForm(const char* name, const QString& caption, int helpTopic, QWidget* parent);
    virtual void FormShow() = 0;
    virtual void BtnSaveClick() = 0;
    void BtnCancelClick();
    void showEvent(QShowEvent* event) override;
    // Notes what the form shows now as its unchanged state (a form that starts afresh while it
    // stays open calls this).
    void MarkUnchanged();
    bool Changed() const;

    // Makes BtnSave, BtnDelete and BtnCancel, right-aligned in a row under `grid`, and connects
    // them to BtnSaveClick, `onDelete` and BtnCancelClick. A form that deletes nothing passes no
    // `onDelete` and gets no BtnDelete. Returns the row, for buttons that follow Cancel.
    QHBoxLayout* AddFormButtons(QGridLayout* grid, const std::function<void()>& onDelete = {});

    // Makes what `write` writes one change of the data files; `write` returns false when one of
    // its own steps failed. On any failure the change is undone, the user is shown `what` and
    // the reason, and false comes back: the open tables are then positioned nowhere, and the
    // form positions what it needs again and stays open.
    bool WriteAsOneChange(const QString& what, const std::function<bool()>& write);

    QPushButton* BtnSave = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnCancel = nullptr;

private:
    QStringList Shown() const;
    QStringList unchanged_;
};
