// What's This texts. Every control of the window (buttons, edits, spin
// boxes, combo boxes, check boxes, lists, tables, the tab bar) carries one;
// Shift+F1 or the tool bar's Help button enters What's This mode and a click
// on the control shows it. Labels and groups may carry one too: a click on a
// label without its own text shows its group's.
#pragma once

#include <QList>
#include <QString>

class QObject;
class QWidget;

// Sets the text of one control (plain text; a blank line starts a paragraph).
void setHelpText(QWidget* widget, const char* text);
// The same for the child of `parent` with that object name; false when
// there is none (so a renamed control shows up in the tests).
bool setHelpText(QObject* parent, const char* objectName, const char* text);

// True for the widgets an operator works with, which must carry a text:
// buttons, check boxes, edits, spin boxes, combo boxes, sliders, lists,
// tables and tab bars. Parts that a control builds from other widgets (the
// edit inside a spin box, a table's headers, scroll bars) are not counted.
bool needsHelpText(const QWidget* widget);

// The controls at or below `root` without a text, hidden ones included (the
// service mode shows more); windows of their own below `root` are left out.
QList<QWidget*> controlsWithoutHelpText(const QWidget* root);
// "ClassName objectName "shown text"", to name a control in a report.
QString describeControl(const QWidget* widget);
