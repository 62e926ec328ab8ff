#include "ui/form_parts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpacerItem>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>

#include "core/prompt.h"
#include "db/change.h"
#include "db/program_state.h"
#include "ui/enter_as_tab.h"
#include "ui/form_help.h"
#include "ui/masked_box.h"
#include "ui/storable_text.h"

QLineEdit* NamedEdit(QWidget* form, const char* name, int maxLength) {
    auto* edit = new EnterAsTabEdit(form);
    edit->setObjectName(name);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    KeepStorable(edit);
    return edit;
}

QPlainTextEdit* NamedMemo(QWidget* form, const char* name) {
    auto* memo = new QPlainTextEdit(form);
    memo->setObjectName(name);
    memo->setTabChangesFocus(true);
    KeepStorable(memo);
    return memo;
}

QPushButton* NamedButton(QWidget* form, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, form);
    button->setObjectName(name);
    button->setAutoDefault(false);
    EnterPresses(button);
    return button;
}

QLabel* NamedLabel(QWidget* form, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, form);
    label->setObjectName(name);
    return label;
}

void SetTabOrder(const QList<QWidget*>& controls) {
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

namespace {

// A strut across a window's layout, as wide as the window's title bar needs; it follows the title.
class TitleStrut : public QObject {
public:
    explicit TitleStrut(QWidget* window)
        : QObject(window), window_(window), strut_(new QSpacerItem(0, 0)) {
        QLayout* layout = window->layout();
        if (auto* grid = qobject_cast<QGridLayout*>(layout))
            grid->addItem(strut_, grid->rowCount(), 0, 1, grid->columnCount());
        else
            layout->addItem(strut_);
        Fit();
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange) Fit();
        return false;
    }

private:
    void Fit() {
        QLayout* layout = window_->layout();
        const QMargins margins = layout->contentsMargins();
        const int width = TitleBarWidth(window_->windowTitle()) - margins.left() - margins.right();
        strut_->changeSize(std::max(0, width), 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
        layout->invalidate();
    }

    QWidget* window_;
    QSpacerItem* strut_;  // owned by the layout
};

}  // namespace

int TitleBarWidth(const QString& title) {
    const QFontMetrics font(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    // The icon and three buttons, each about as wide as the bar is high, and as much again for
    // the frame's edges and the space on either side of the title.
    const int bar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return font.horizontalAdvance(title) + 5 * bar;
}

void FitToTitle(QWidget* window) {
    new TitleStrut(window);
}

EditorForm::EditorForm(const char* name, const QString& caption, int helpTopic, QWidget* parent)
    : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
    SetFormHelp(this, helpTopic);
}

const QString EditorForm::kDiscardQuestion =
    QStringLiteral("Close without saving? The changes made in this window will be lost.");

void EditorForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormShow();
    MarkUnchanged();
}

void EditorForm::BtnCancelClick() {
    reject();
}

void EditorForm::reject() {
    if (isVisible() && Changed() && !prompt::confirmLoss(this, kDiscardQuestion)) return;
    QDialog::reject();
}

void EditorForm::MarkUnchanged() {
    unchanged_ = Shown();
}

bool EditorForm::Changed() const {
    return Shown() != unchanged_;
}

// Every text, tick and grid cell the form shows, in a fixed order.
QStringList EditorForm::Shown() const {
    QStringList shown;
    for (const QLineEdit* box : findChildren<QLineEdit*>()) {
        const auto* masked = qobject_cast<const MaskedBox*>(box);
        shown << (masked ? masked->entryText() : box->text());
    }
    for (const QPlainTextEdit* memo : findChildren<QPlainTextEdit*>()) shown << memo->toPlainText();
    for (const QAbstractButton* button : findChildren<QAbstractButton*>())
        if (button->isCheckable()) shown << (button->isChecked() ? "1" : "0");
    for (const QTableWidget* grid : findChildren<QTableWidget*>()) {
        for (int r = 0; r < grid->rowCount(); ++r)
            for (int c = 0; c < grid->columnCount(); ++c) {
                const QTableWidgetItem* cell = grid->item(r, c);
                shown << (cell ? cell->text() : QString());
            }
    }
    return shown;
}

QHBoxLayout* EditorForm::AddFormButtons(QGridLayout* grid, const std::function<void()>& onDelete) {
    BtnSave = NamedButton(this, "BtnSave", "Save");
    if (onDelete) BtnDelete = NamedButton(this, "BtnDelete", "Delete");
    BtnCancel = NamedButton(this, "BtnCancel", "Cancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnSave);
    if (BtnDelete) buttons->addWidget(BtnDelete);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    FitToTitle(this);

    connect(BtnSave, &QPushButton::clicked, this, [this] { BtnSaveClick(); });
    if (BtnDelete) connect(BtnDelete, &QPushButton::clicked, this, onDelete);
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    return buttons;
}

bool EditorForm::WriteAsOneChange(const QString& what, const std::function<bool()>& write) {
    QString error;
    if (BeginChange(&error)) {
        if (write()) {
            if (CommitChange(&error)) return true;
        } else {
            RollbackChange();
            const int code = DbContext->errorCode();
            error = code < 0 ? QString::fromStdString(DbContext->errorText()) : QString();
        }
    }
    prompt::warning(this, error.isEmpty() ? what : what + "\n" + error);
    return false;
}
