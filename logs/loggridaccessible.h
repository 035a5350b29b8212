// What a log window's grid is to assistive technology: the cells it shows,
// row by row, the headings row first.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// The accessible interface of an entry grid (installed as a factory of the
// application's accessibility once the first grid is made).
QAccessibleInterface *LogGridAccessible(const QString &className, QObject *object);
