#pragma once
// Windows keep the place and size their form gives them, unless that would
// put part of them off the screen: at a high density, or with Qt scaling the
// whole desktop, the forms' twips can ask for more than the screen has.
#include <QMargins>
#include <QRect>
#include <QSize>

namespace qm {

// The window frame, title bar included, moved the least distance that puts it
// inside the area. A frame larger than the area keeps its top left corner,
// with its title bar and close box, inside.
QRect OntoArea(const QRect& frame, const QRect& area);

// The factor (at most 1) by which a window's client area must shrink for the
// window, its frame and the fixed extra height of a menu bar, to fit the area.
double ShrinkToFit(const QSize& client, int extraHeight, const QMargins& frame, const QSize& area);

// The frame a window manager is assumed to draw before it has framed a window.
QMargins ExpectedFrame(int titleHeight);

} // namespace qm
