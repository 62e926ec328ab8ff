// The layout shared by the main window's tabs: a grid with even margins, and the tab's Help
// button in its bottom right corner.
#pragma once

class QGridLayout;
class QPushButton;
class QWidget;

QGridLayout* TabGrid(QWidget* tab);
// Puts the Help button below everything else in the grid, at the right.
void AddHelpRow(QGridLayout* grid, QPushButton* help);
