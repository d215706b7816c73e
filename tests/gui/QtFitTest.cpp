// The windows at the density of the test's screen (QM_TEST_DPI, 96 unless
// told; ctest runs these at 96, 144 and 192): every caption fits its control,
// measured here with QFontMetrics, and every window fits the screen.
// Also the message box and the tray menu as the user sees them.
#include "GuiFixture.h"
#include "WindowPlacement.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

using namespace qm;
using qm::test::Gui;

namespace {

double screenDpi() { return qEnvironmentVariableIsSet("QM_TEST_DPI") ? qEnvironmentVariableIntValue("QM_TEST_DPI") : 96; }

struct AllOpen : Gui {
    AllOpen()
    {
        seed();
        EXPECT_TRUE(start());
        f1().mnu_addnewword_Click();
        f1().mnu_wordlist_Click();
        f1().mnu_about_Click();
    }
    std::vector<Form*> forms() { return {&f1(), &f2(), &f3(), &f4()}; }
};

// The width a caption may take: up to the first later sibling that covers
// the control's middle row, since that sibling is drawn over it.
int clearWidth(const QWidget& w)
{
    const QRect r = w.geometry();
    int width = r.width();
    const QObjectList& siblings = w.parentWidget()->children();
    for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(&w)) + 1; i < siblings.size(); ++i) {
        auto* other = qobject_cast<QWidget*>(siblings[i]);
        if (!other || other->isWindow() || other->isHidden())
            continue;
        const QRect o = other->geometry();
        if (o.left() > r.left() && o.left() <= r.right() && o.top() <= r.center().y() && o.bottom() >= r.center().y())
            width = std::min(width, o.left() - r.left());
    }
    return width;
}

// Why the caption does not fit, or empty when it does.
std::string misfit(const QWidget& w)
{
    const QFontMetrics fm(w.font(), const_cast<QWidget*>(&w));
    QStyle* style = w.style();
    const int width = clearWidth(w), height = w.height();
    auto lines = [&](const QString& text, int room) -> std::string {
        const QStringList all = text.split(u'\n');
        for (const QString& line : all)
            if (fm.horizontalAdvance(line) > room)
                return '"' + line.toStdString() + "\" is " + std::to_string(fm.horizontalAdvance(line)) +
                       " px wide, the room " + std::to_string(room) + " px";
        const int tall = fm.height() + fm.lineSpacing() * static_cast<int>(all.size() - 1);
        if (tall > height)
            return '"' + text.toStdString() + "\" is " + std::to_string(tall) + " px tall, the control " +
                   std::to_string(height) + " px";
        return {};
    };
    if (auto* label = qobject_cast<const QLabel*>(&w)) {
        if (label->text().isEmpty())
            return {};
        const QRect need = fm.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, label->text());
        if (need.width() > width || need.height() > height)
            return '"' + label->text().toStdString() + "\" needs " + std::to_string(need.width()) + "x" +
                   std::to_string(need.height()) + " px, the label has " + std::to_string(width) + "x" +
                   std::to_string(height);
        return {};
    }
    if (auto* option = qobject_cast<const QRadioButton*>(&w))
        return lines(option->text(), width - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) -
                                         style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing));
    if (auto* button = qobject_cast<const QPushButton*>(&w))
        return lines(button->text(), width - 2 * style->pixelMetric(QStyle::PM_ButtonMargin));
    if (auto* frame = qobject_cast<const QGroupBox*>(&w))
        return lines(frame->title(), width - 2 * fm.averageCharWidth());
    return {};
}

} // namespace

TEST(QtCaptions, EveryCaptionFitsItsControl)
{
    AllOpen app;
    ASSERT_DOUBLE_EQ(app.frontEnd.dpiX(), screenDpi()) << "the test's screen is not at QM_TEST_DPI";
    int captions = 0;
    for (Form* form : app.forms()) {
        for (Control* c : form->Controls()) {
            const QWidget* w = app.widget(*c);
            ASSERT_NE(w, nullptr) << form->Name() << "." << c->Name();
            const std::string why = misfit(*w);
            ASSERT_EQ(why, "") << form->Name() << "." << c->Name() << " at " << screenDpi() << " DPI";
            captions += !c->Caption().empty();
        }
        // Readable still: never below 6 points.
        EXPECT_GE(app.window(*form)->font().pointSizeF(), 6.0) << form->Name();
    }
    EXPECT_GE(captions, 25) << "the captions of the four windows";
    // Two-line option buttons take their caption on two lines.
    EXPECT_EQ(app.widget<QRadioButton>(app.f3().Option8)->text(), "No Winamp\nCommands");
    // The main window keeps the size the layout was drawn for where it fits.
    if (screenDpi() == 96) {
        EXPECT_DOUBLE_EQ(app.window(app.f1())->font().pointSizeF(), 8.0);
    }
}

TEST(QtCaptions, ACaptionSetLaterStillFits)
{
    AllOpen app;
    app.f3().Option4.setCaption("Message Prompts");
    EXPECT_EQ(misfit(*app.widget(app.f3().Option4)), "");
    EXPECT_LT(app.window(app.f3())->font().pointSizeF(), 8.0);
}

TEST(QtScreen, EveryWindowFitsTheScreenAtItsDensity)
{
    AllOpen app;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(1366, 768));
    for (Form* form : app.forms()) {
        QWidget* w = app.window(*form);
        ASSERT_TRUE(w->isVisible()) << form->Name();
        // The offscreen screen draws no frame: leave room for a usual one.
        const QRect framed = w->geometry().marginsAdded(ExpectedFrame(w->fontMetrics().height()));
        const std::string where = form->Name() + " at " + std::to_string(screenDpi()) + " DPI: " +
                                  std::to_string(framed.x()) + "," + std::to_string(framed.y()) + " " +
                                  std::to_string(framed.width()) + "x" + std::to_string(framed.height());
        EXPECT_LE(framed.width(), area.width()) << where;
        EXPECT_LE(framed.height(), area.height()) << where;
        // Where the About window goes is the window manager's choice.
        if (form->Style().placement != Placement::SystemDefault) {
            EXPECT_TRUE(area.contains(framed)) << where;
        }
    }
}

TEST(QtScreen, AWindowIsMovedTheLeastThatPutsItInsideTheArea)
{
    const QRect area(0, 0, 1366, 738);
    struct Case { const char* what; QRect frame; QPoint at; } cases[] = {
        {"inside stays", {312, 265, 343, 409}, {312, 265}},
        {"off the bottom moves up", {468, 400, 514, 600}, {468, 138}},
        {"off the right moves left", {1000, 10, 585, 200}, {781, 10}},
        {"off the top left moves in", {-30, -5, 100, 100}, {0, 0}},
        {"taller than the area keeps its title bar on screen", {100, 50, 300, 900}, {100, 0}},
        {"wider than the area keeps its left edge on screen", {200, 0, 1500, 100}, {0, 0}},
    };
    for (const auto& c : cases) {
        const QRect moved = OntoArea(c.frame, area);
        EXPECT_EQ(moved.topLeft(), c.at) << c.what;
        EXPECT_EQ(moved.size(), c.frame.size()) << c.what;
    }
}

TEST(QtScreen, AWindowTooLargeForItsScreenShrinks)
{
    const QMargins frame(4, 25, 4, 4);
    struct Case { QSize client; int menuBar; QSize area; double shrink; } cases[] = {
        {{341, 388}, 0, {1366, 768}, 1.0},           // fits
        {{682, 776}, 0, {1366, 768}, (768 - 29) / 776.0}, // the add window at 192 DPI
        {{1310, 274}, 20, {1366, 768}, 1.0},
        {{1310, 274}, 20, {683, 384}, (683 - 8) / 1310.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ShrinkToFit(c.client, c.menuBar, frame, c.area), c.shrink, 1e-9);
}

TEST(QtScreen, MessageBoxesStayInFrontAndShowTheirWholeTitle)
{
    Gui::clearQuit();
    QtDesktop desktop;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(box->windowTitle(), "Quillmere Voice Command");
        EXPECT_EQ(box->text(), "Time for a break");
        const QFontMetrics fm(box->font());
        EXPECT_GE(box->width(), fm.horizontalAdvance(box->windowTitle()) + 6 * fm.height())
            << "the window manager would cut the title";
        ASSERT_EQ(box->buttons().size(), 1);
        box->buttons().first()->click();
    });
    desktop.messageBox("Time for a break");
    EXPECT_TRUE(seen);
}

TEST(QtMenus, TheTrayMenuShowsItsFiveCommands)
{
    AllOpen app;
    QStringList captions;
    Gui::clearQuit();
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no pop-up menu opened";
        for (QAction* a : menu->actions())
            captions << a->text();
        menu->close();
    });
    app.f1().Tray_RightButtonUp();
    EXPECT_EQ(captions, (QStringList{"Hide", "Show", "Disable", "Enable", "About"}));
}
