#pragma once
// The forms' layout in twips was drawn for a narrow 8-point interface font.
// Linux desktops draw wider letters, which clip captions at that size: each
// window takes the largest size, 8 points at most, at which every caption
// fits its control.
#include <QString>

class QRadioButton;
class QWidget;

namespace qm {

// Whether the text a widget shows (label, button, option button, frame title)
// fits the part of it that no later sibling covers, with the widget's font.
// Widgets without a caption fit.
bool CaptionFits(const QWidget& widget);

// An option button's caption broken at blanks into as many lines as its
// height holds, so that each line fits beside the round mark; the caption
// itself when it fits on one line or cannot be broken to fit.
QString WrapOption(const QRadioButton& button, const QString& caption);

// Gives a window the largest font size, from 8 points down in half points,
// at which CaptionFits holds for each of its widgets; option buttons are
// rewrapped at each size from their caption kept by SetOptionCaption.
// Returns the point size chosen.
double FitCaptions(QWidget& window);

// Sets an option button's caption, wrapped for its current font.
void SetOptionCaption(QRadioButton& button, const QString& caption);

} // namespace qm
