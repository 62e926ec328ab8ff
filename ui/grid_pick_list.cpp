#include "ui/grid_pick_list.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "db/field_values.h"
#include "ui/form_parts.h"

namespace {

constexpr int kPage = 10;

// The hourglass while the list is being filled.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter in the search box must not press a button.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

GridPickList::GridPickList(GridPickState& state, int32_t& result, const Look& look, QWidget* parent,
                           const SearchBox& search)
    : QDialog(parent), state_(state), result_(result), look_(look) {
    BuildForm(search);
}

void GridPickList::BuildForm(const SearchBox& search) {
    setWindowTitle(look_.caption);
    setModal(true);
    SetFormHelp(this, look_.helpTopic);

    auto* seekLabel = new QLabel(search.box ? search.caption : QString("Seek:"), this);
    if (search.box) {
        Edit1 = search.box;
        Edit1->setParent(this);
    } else {
        Edit1 = new QLineEdit(this);
        Edit1->setObjectName("Edit1");
    }
    seekLabel->setBuddy(Edit1);
    auto* topRow = new QHBoxLayout;
    topRow->addWidget(seekLabel);
    topRow->addWidget(Edit1);
    extraRow = topRow;

    StringGrid1 = new QTableWidget(kRows, 0, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionsClickable(false);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->setWordWrap(false);
    StringGrid1->installEventFilter(this);
    Edit1->installEventFilter(this);
    StringGrid1->viewport()->installEventFilter(this);

    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar1->setObjectName("ScrollBar1");
    ScrollBar1->setRange(0, 100);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(kPage);
    ScrollBar1->installEventFilter(this);
    QSizePolicy keepPlace = ScrollBar1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    ScrollBar1->setSizePolicy(keepPlace);

    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(0);
    gridRow->addWidget(StringGrid1);
    gridRow->addWidget(ScrollBar1);
    gridRow->addSpacing(look_.widening);
    gridRow->addStretch();

    BtnSelect = Button("BtnSelect", "Select", this);
    BtnNew = Button("BtnNew", "New", this);
    BtnCancel = Button("BtnCancel", "Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnSelect);
    buttons->addWidget(BtnNew);
    buttons->addWidget(BtnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(topRow);
    layout->addLayout(gridRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    FitToTitle(this);

    setTabOrder(Edit1, StringGrid1);
    setTabOrder(StringGrid1, BtnSelect);
    setTabOrder(BtnSelect, BtnNew);
    setTabOrder(BtnNew, BtnCancel);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(ScrollBar1, &QScrollBar::actionTriggered, this,
            [this](int action) { ScrollBar1Scroll(action); });
    connect(ScrollBar1, &QScrollBar::sliderReleased, this, [this] { ScrollBar1Released(); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this] { StringGrid1Click(); });
    connect(BtnSelect, &QPushButton::clicked, this, [this] { BtnSelectClick(); });
    connect(BtnNew, &QPushButton::clicked, this, [this] { BtnNewClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
}

void GridPickList::setNewAllowed(bool allowed) {
    BtnNew->setEnabled(allowed);
}

void GridPickList::SetColumns(const QList<Column>& columns) {
    columns_ = columns;
    QStringList headers;
    for (const Column& c : columns_) headers << c.header;
    headers << "RecNo";
    StringGrid1->setColumnCount(static_cast<int>(headers.size()));
    StringGrid1->setHorizontalHeaderLabels(headers);
}

void GridPickList::SizeGrid() {
    const int unit = fontMetrics().horizontalAdvance(look_.unitLetter);
    for (int i = 0; i < columns_.size(); ++i)
        StringGrid1->setColumnWidth(i, columns_[i].units * unit);
    StringGrid1->setColumnWidth(static_cast<int>(columns_.size()), 10 * unit);
    const int frame = 2 * StringGrid1->frameWidth();
    const int height = StringGrid1->horizontalHeader()->sizeHint().height() +
                       kRows * StringGrid1->verticalHeader()->defaultSectionSize() + frame;
    StringGrid1->setFixedSize(look_.gridUnits * unit + frame, height);
    ScrollBar1->setFixedHeight(height);
}

int32_t GridPickList::RowRecNo(int row) const {
    const QTableWidgetItem* item = StringGrid1->item(row, StringGrid1->columnCount() - 1);
    return item ? item->text().toInt() : 0;
}

void GridPickList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

bool GridPickList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return StringGrid1KeyPress(key) || StringGrid1KeyDown(key);
    }
    // Enter in the search box takes the row the search has highlighted.
    if (watched == Edit1 && event->type() == QEvent::KeyPress)
        return StringGrid1KeyPress(static_cast<QKeyEvent*>(event)->key());
    if (event->type() == QEvent::Wheel &&
        (watched == StringGrid1->viewport() || watched == ScrollBar1)) {
        WheelScroll(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The wheel over the list or its scroll bar moves the list by the desktop's lines per notch;
// wheels with finer steps add up to whole notches.
void GridPickList::WheelScroll(int delta) {
    constexpr int kNotch = 120;
    wheelDelta_ += delta;
    const int notches = wheelDelta_ / kNotch;
    if (notches == 0) return;
    wheelDelta_ -= notches * kNotch;
    SetOffset(state_.TopOffset - notches * QApplication::wheelScrollLines());
    ScrollBar1->setSliderPosition(ScrollPosition());
}

void GridPickList::FormShow() {
    PrepareOrder();
    SizeGrid();
    const BusyCursor busy;
    state_.LastSeek.clear();
    Edit1->clear();

    const uint32_t count = table()->recCount();
    if (count > kRows) {
        state_.MaxTop = static_cast<int>(count - kRows);
        ScrollBar1->show();
        state_.TargetRec = result_;
        state_.TopOffset = OffsetOf(state_.TargetRec);
    } else {
        state_.MaxTop = 0;
        ScrollBar1->hide();
    }
    // Closing the window by its frame counts as Cancel.
    result_ = -1;

    const bool any = count > 0;
    BtnSelect->setEnabled(any);
    StringGrid1->setEnabled(any);
    StringGrid1->setRowCount(any ? kRows : 0);
    if (!any) return;
    StringGrid1->setCurrentCell(0, 0);
    FillRows();
    Edit1->setFocus();
}

int GridPickList::OffsetOf(int32_t targetRec) {
    xbase::Table* t = table();
    const uint32_t count = t->recCount();
    if (targetRec <= 0 || static_cast<uint32_t>(targetRec) > count ||
        t->go(static_cast<uint32_t>(targetRec)) != xbase::kFound) {
        t->top();
        state_.TargetRec = static_cast<int32_t>(t->recNo());
        return 0;
    }
    // Within a window of either end the place is found by stepping: a list opened on the last
    // invoice or the first customer then reads only the rows around it. Elsewhere the engine
    // knows every record's exact place in the order, the count of the records before it,
    // without stepping.
    uint32_t place = 0;
    if (const int after = StepsWithin(kRows, 1); after < kRows) {
        place = count - static_cast<uint32_t>(after);
    } else if (t->go(static_cast<uint32_t>(targetRec)) == xbase::kFound) {
        const int before = StepsWithin(kRows, -1);
        if (before < kRows) {
            place = static_cast<uint32_t>(before) + 1;
        } else if (t->go(static_cast<uint32_t>(targetRec)) == xbase::kFound) {
            place = t->place();
        }
    }
    const int offset = place > 0 ? static_cast<int>(place - 1) : 0;
    return std::min(offset, state_.MaxTop);
}

int GridPickList::StepsWithin(int most, int direction) {
    int steps = 0;
    while (steps < most && table()->skip(direction) == xbase::kFound) ++steps;
    return steps;
}

bool GridPickList::GoToOffset(int offset) {
    // Near either end the rows are reached by stepping from it, as in OffsetOf.
    xbase::Table* t = table();
    const auto count = static_cast<int>(t->recCount());
    if (offset < 2 * kRows) return t->top() == xbase::kFound && t->skip(offset) == xbase::kFound;
    if (count - offset <= 2 * kRows)
        return t->bottom() == xbase::kFound && t->skip(offset - count + 1) == xbase::kFound;
    return t->goPlace(static_cast<uint32_t>(offset) + 1) == xbase::kFound;
}

void GridPickList::FillRows() {
    xbase::Table* t = table();
    filling_ = true;
    state_.TopOffset = std::clamp(state_.TopOffset, 0, state_.MaxTop);
    bool onRecord = GoToOffset(state_.TopOffset);

    int targetRow = -1;
    int row = 0;
    for (; row < kRows && onRecord; ++row) {
        QStringList texts = RowTexts();
        const uint32_t rec = t->recNo();
        texts << QString::number(rec);
        for (int col = 0; col < texts.size(); ++col) {
            auto* item = new QTableWidgetItem(texts[col]);
            if (col >= columns_.size() || columns_[col].number)
                item->setTextAlignment(kNumberAlignment);
            StringGrid1->setItem(row, col, item);
        }
        if (static_cast<int32_t>(rec) == state_.TargetRec) targetRow = row;
        onRecord = t->skip(1) == xbase::kFound;
    }
    for (; row < kRows; ++row) ShowBlankRow(row);

    state_.TargetRec = 0;
    StringGrid1->horizontalScrollBar()->setValue(0);
    int highlight = targetRow;
    if (highlight < 0) {
        const int current = StringGrid1->currentRow();
        highlight = look_.highlightFirstRow || current < 0 || RowRecNo(current) <= 0 ? 0 : current;
    }
    StringGrid1->setCurrentCell(highlight, 0);
    ScrollBar1->setSliderPosition(ScrollPosition());
    filling_ = false;
    AfterFill();
}

void GridPickList::ShowBlankRow(int row) {
    for (int col = 0; col < StringGrid1->columnCount(); ++col) {
        auto* blank = new QTableWidgetItem;
        blank->setFlags(Qt::NoItemFlags);
        StringGrid1->setItem(row, col, blank);
    }
}

int GridPickList::ScrollPosition() const {
    if (state_.MaxTop == 0) return 0;
    return static_cast<int>(static_cast<qint64>(state_.TopOffset) * 100 / state_.MaxTop);
}

void GridPickList::SetOffset(int offset) {
    if (offset == state_.TopOffset) return;
    state_.TopOffset = offset;
    FillRows();
}

void GridPickList::Edit1Change() {
    const QString text = Edit1->text().toUpper().trimmed();
    if (text == state_.LastSeek) return;
    state_.LastSeek = text;
    SeekAndShow(text);
}

void GridPickList::SeekAndShow(const QString& key) {
    const int rc = Seek(table(), key);
    if (rc != xbase::kFound && rc != xbase::kAfter) return;
    state_.TargetRec = static_cast<int32_t>(table()->recNo());
    state_.TopOffset = OffsetOf(state_.TargetRec);
    FillRows();
}

bool GridPickList::StringGrid1KeyDown(int key) {
    const int top = state_.TopOffset;
    const int row = StringGrid1->currentRow();
    switch (key) {
        case Qt::Key_PageDown:
            SetOffset(top + kPage);
            break;
        case Qt::Key_PageUp:
            SetOffset(top - kPage);
            break;
        // End and Home go to the last and the first record, on the first column: the grid's own
        // End and Home would move along the row instead.
        case Qt::Key_End: {
            SetOffset(state_.MaxTop);
            int last = kRows - 1;
            while (last > 0 && RowRecNo(last) <= 0) --last;
            StringGrid1->setCurrentCell(last, 0);
            return true;
        }
        case Qt::Key_Home:
            SetOffset(0);
            StringGrid1->setCurrentCell(0, 0);
            return true;
        case Qt::Key_Down:
            if (row == kRows - 1) SetOffset(top + 1);
            break;
        case Qt::Key_Up:
            if (row == 0) SetOffset(top - 1);
            break;
        default:
            break;
    }
    return false;
}

bool GridPickList::StringGrid1KeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    BtnSelectClick();
    return true;
}

void GridPickList::ScrollBar1Scroll(int action) {
    const int top = state_.TopOffset;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            SetOffset(top - 1);
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            SetOffset(top + 1);
            break;
        case QAbstractSlider::SliderPageStepSub:
            SetOffset(top - kPage);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            SetOffset(top + kPage);
            break;
        case QAbstractSlider::SliderToMinimum:
            SetOffset(0);
            break;
        case QAbstractSlider::SliderToMaximum:
            SetOffset(state_.MaxTop);
            break;
        // The thumb being dragged moves the list only when it is released.
        case QAbstractSlider::SliderMove:
            if (ScrollBar1->isSliderDown()) return;
            break;
        default:
            break;
    }
    ScrollBar1->setSliderPosition(ScrollPosition());
}

void GridPickList::ScrollBar1Released() {
    SetOffset(
        static_cast<int>(static_cast<qint64>(ScrollBar1->sliderPosition()) * state_.MaxTop / 100));
    ScrollBar1->setSliderPosition(ScrollPosition());
}

void GridPickList::StringGrid1DblClick() {
    BtnSelectClick();
}

void GridPickList::StringGrid1Click() {
    StringGrid1->horizontalScrollBar()->setValue(0);
}

void GridPickList::BtnSelectClick() {
    const int row = StringGrid1->currentRow();
    if (row < 0) return;
    const int32_t rec = RowRecNo(row);
    if (rec <= 0) return;
    result_ = rec;
    accept();
}

void GridPickList::BtnNewClick() {
    result_ = 0;
    accept();
}

void GridPickList::BtnCancelClick() {
    result_ = -1;
    reject();
}
