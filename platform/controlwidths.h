// How wide a control must be to show its caption, and how a row of controls
// shares the room a window has for them.
#pragma once

#include <QStringList>
#include <vector>

class QWidget;

// The width the control needs to show the widest of its captions whole, in its
// own font, with the room its style draws around the text (the indicator of a
// radio button, the bevel and margins of a button).
int CaptionWidth(const QWidget *control, const QStringList &captions);
// The same for the caption it shows now.
int CaptionWidth(const QWidget *control);

struct ControlWidth {
    int preferred;   // the width it has when there is room
    int needed;      // its caption whole
    int least;       // still there to be clicked
};

// Widths for controls sharing `room` pixels: each its preferred width while
// all fit; else each gives up what it has beyond its need, in proportion; and
// only when the needs themselves do not fit do the widest give way first, down
// to a common width (their captions then shorten), never below a least width.
std::vector<int> ShareOut(const std::vector<ControlWidth> &controls, int room);
