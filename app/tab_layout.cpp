#include "app/tab_layout.h"

#include <QGridLayout>
#include <QPushButton>

QGridLayout* TabGrid(QWidget* tab) {
    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(14, 12, 14, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    return grid;
}

void AddHelpRow(QGridLayout* grid, QPushButton* help) {
    const int row = grid->rowCount();
    grid->setRowStretch(row, 1);
    grid->addWidget(help, row + 1, 0, 1, grid->columnCount(), Qt::AlignRight | Qt::AlignBottom);
}
