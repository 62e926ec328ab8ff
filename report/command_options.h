// What the commands of corvane-admin share in reading their options and writing their
// documents: the option values they take (numbers and dates) and the report font, which does not
// depend on the desktop the command happens to run on.
#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace reports {

// Fonts and painting need a graphical application object. A program that has none from its
// start installs here what makes one; CommandLineReportFont runs it, so that the object is made
// when a run first asks for the report font, and a run that writes text alone makes none. Empty
// (nothing to run) where the program has one.
extern std::function<void()> MakePaintingApplication;

// The report font of the command line: the settings' name and size on a fixed-pitch 10-point
// default, so that the output does not depend on the desktop the command happens to run on.
// Makes that default the application's font, after MakePaintingApplication.
QFont CommandLineReportFont();

// Option values of the commands: numbers written 12,13, each a whole number from 1 to 999999;
// a date written YYYY-MM-DD, as a day number. Nothing for any other text.
std::optional<QList<int>> NumberList(const QString& text);
std::optional<double> IsoDay(const QString& text);

}  // namespace reports
