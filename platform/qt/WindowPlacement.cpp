#include "WindowPlacement.h"

#include <algorithm>

namespace qm {

QRect OntoArea(const QRect& frame, const QRect& area)
{
    QRect r = frame;
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.top() < area.top())
        r.moveTop(area.top());
    return r;
}

double ShrinkToFit(const QSize& client, int extraHeight, const QMargins& frame, const QSize& area)
{
    if (client.width() <= 0 || client.height() <= 0)
        return 1.0;
    const double w = double(area.width() - frame.left() - frame.right()) / client.width();
    const double h = double(area.height() - frame.top() - frame.bottom() - extraHeight) / client.height();
    return std::clamp(std::min(w, h), 0.1, 1.0);
}

QMargins ExpectedFrame(int titleHeight)
{
    // Borders of a few pixels and a title bar a little taller than its text.
    return QMargins(4, titleHeight + 12, 4, 4);
}

} // namespace qm
