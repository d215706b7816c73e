#include "CaptionFit.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QVariant>

#include <algorithm>

namespace qm {

namespace {

constexpr const char* kCaptionProperty = "qmCaption";
constexpr double kLargestPoints = 8.0, kSmallestPoints = 6.0;
constexpr int kUnbounded = 1 << 20;

// The widget's rectangle, in its own coordinates, less what a later sibling
// (drawn over it) covers on its right: the add window's phrase label runs
// under the phrase box, and each column header touches the top row of a list.
QRect uncovered(const QWidget& w)
{
    QRect r = w.geometry();
    if (QWidget* parent = w.parentWidget()) {
        const QObjectList& siblings = parent->children();
        const auto self = std::find(siblings.begin(), siblings.end(), &w);
        for (auto it = self == siblings.end() ? self : self + 1; it != siblings.end(); ++it) {
            auto* other = qobject_cast<QWidget*>(*it);
            if (!other || other->isHidden() || other->isWindow())
                continue;
            // Only what covers the widget's middle row can cover its text.
            const QRect o = other->geometry();
            const int middle = r.center().y();
            if (o.top() <= middle && o.bottom() >= middle && o.left() > r.left() && o.left() <= r.right())
                r.setRight(o.left() - 1);
        }
    }
    return QRect(QPoint(0, 0), r.size());
}

// Whether the text, laid out as the style draws it, stays inside the box.
bool inside(const QWidget& w, const QRect& box, const QString& text, int flags)
{
    const QFontMetrics fm(w.font(), const_cast<QWidget*>(&w));
    const QRect need = fm.boundingRect(QRect(0, 0, box.width(), kUnbounded), flags | Qt::TextShowMnemonic, text);
    if (need.width() > box.width() || need.height() > box.height())
        return false;
    if (flags & Qt::TextWordWrap) {
        // A word wider than the box is not broken: it overflows.
        for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            if (fm.horizontalAdvance(word) > box.width())
                return false;
    }
    return true;
}

QRect optionTextRect(const QRadioButton& button, const QRect& area)
{
    QStyleOptionButton opt;
    opt.initFrom(&button);
    opt.rect = area;
    const QStyle* style = button.style();
    const int mark = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &opt, &button) +
                     style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &opt, &button);
    return area.adjusted(mark, 0, 0, 0);
}

} // namespace

bool CaptionFits(const QWidget& widget)
{
    const QRect area = uncovered(widget);
    if (auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return true;
        return inside(widget, label->contentsRect().intersected(area), label->text(),
                      label->wordWrap() ? Qt::TextWordWrap : 0);
    }
    if (auto* option = qobject_cast<const QRadioButton*>(&widget))
        return inside(widget, optionTextRect(*option, area), option->text(), 0);
    if (auto* button = qobject_cast<const QPushButton*>(&widget)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.rect = area;
        const QRect text = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button).intersected(area);
        return inside(widget, text, button->text(), 0);
    }
    if (auto* frame = qobject_cast<const QGroupBox*>(&widget)) {
        if (frame->title().isEmpty())
            return true;
        QStyleOptionGroupBox opt;
        opt.initFrom(frame);
        opt.rect = area;
        opt.text = frame->title();
        opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, frame);
        return area.contains(label);
    }
    return true;
}

QString WrapOption(const QRadioButton& button, const QString& caption)
{
    const QRect box = optionTextRect(button, uncovered(button));
    const QFontMetrics fm(button.font(), const_cast<QRadioButton*>(&button));
    if (fm.horizontalAdvance(caption) <= box.width())
        return caption;
    QStringList lines;
    for (const QString& word : caption.split(u' ', Qt::SkipEmptyParts)) {
        if (!lines.isEmpty() && fm.horizontalAdvance(lines.last() + u' ' + word) <= box.width())
            lines.last() += u' ' + word;
        else
            lines.append(word);
    }
    const QString wrapped = lines.join(u'\n');
    return inside(button, box, wrapped, 0) ? wrapped : caption;
}

void SetOptionCaption(QRadioButton& button, const QString& caption)
{
    button.setProperty(kCaptionProperty, caption);
    button.setText(WrapOption(button, caption));
}

double FitCaptions(QWidget& window)
{
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    QFont font = window.font();
    double points = kLargestPoints;
    for (;; points -= 0.5) {
        font.setPointSizeF(points);
        window.setFont(font);
        bool fits = true;
        for (QWidget* w : widgets) {
            if (auto* option = qobject_cast<QRadioButton*>(w))
                option->setText(WrapOption(*option, option->property(kCaptionProperty).toString()));
            fits = fits && CaptionFits(*w);
        }
        if (fits || points <= kSmallestPoints)
            return points;
    }
}

} // namespace qm
