#include "QtFrontEnd.h"

#include "CaptionFit.h"
#include "Form1.h"
#include "QtDesktop.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qm {

int TwipsToPixels(int twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

QString AssetPath(const std::string& asset)
{
    if (asset == "indicator")
        return QStringLiteral(":/quillmere/indicator.png");
    if (asset == "about")
        return QStringLiteral(":/quillmere/about.bmp");
    return {};
}

QIcon ProgramIcon()
{
    // Qt's ico reader adds every image of the file, so each place picks the size it needs.
    return QIcon(QStringLiteral(":/quillmere/quillmere.ico"));
}

namespace {

QString text(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Buttons and menus take '&' as an access key; the models' captions have none.
QString plainCaption(const std::string& s) { return text(s).replace(u'&', QStringLiteral("&&")); }

// Labels show "\r\n" as one line break.
QString labelText(const std::string& s) { return text(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// A window whose close box asks the form: the form's QueryClose decides
// whether it hides, unloads or ends the program, so the window never closes itself.
template <class Base>
class FormWindow : public Base {
public:
    explicit FormWindow(Form* form) : form_(form) {}
    void detach() { form_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (Form* f = form_)
            f->userClose();
    }

private:
    Form* form_;
};

Qt::WindowFlags flagsFor(FrameStyle frame)
{
    const Qt::WindowFlags fixed =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    switch (frame) {
    case FrameStyle::FixedSingle:
        return fixed;
    case FrameStyle::FixedSingleMinimize:
        return fixed | Qt::WindowMinimizeButtonHint;
    case FrameStyle::Sizable:
        break;
    }
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
           Qt::WindowCloseButtonHint;
}

// No signal of a window's widgets reaches a model any more.
void silence(QWidget* top)
{
    top->blockSignals(true);
    for (QWidget* child : top->findChildren<QWidget*>())
        child->blockSignals(true);
}

void showRow(QListWidget* list, int row)
{
    if (list->currentRow() != row)
        list->setCurrentRow(row);
}

// The state every control shares. Returns whether the change was one of them.
bool applyCommon(Change c, const Control& model, QWidget* w)
{
    switch (c) {
    case Change::Enabled:
        w->setEnabled(model.Enabled());
        return true;
    case Change::Visible:
        w->setVisible(model.Visible());
        return true;
    default:
        return false;
    }
}

// Runs a model's handler for user input. A failure that no handler caught
// ends the program after saying what it was.
template <class F>
void guarded(const std::function<void(const std::string&)>& failed, F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        failed(e.what());
    }
}

// Waits for the right button to come up before the tray's pop-up menu opens:
// Qt reports the context request on the press over an XEmbed tray icon.
class RightButtonUp : public QObject {
public:
    std::function<void()> fire;
    void arm()
    {
        if (!armed_) {
            armed_ = true;
            qApp->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (armed_ && e->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
            armed_ = false;
            qApp->removeEventFilter(this);
            // Opened after the release has been delivered, never inside the tray's own mouse handler.
            QTimer::singleShot(0, this, [this] { fire(); });
        }
        return false;
    }

private:
    bool armed_ = false;
};

// Moves a window onto its screen's work area once the window manager has
// framed it, when the frame's true size is known.
class OnScreenWatch : public QObject {
public:
    explicit OnScreenWatch(QWidget* top) : QObject(top), top_(top) {}
    void arm()
    {
        if (armed_ || !top_->windowHandle())
            return;
        armed_ = true;
        top_->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (armed_ && e->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            armed_ = false;
            watched->removeEventFilter(this);
            KeepOnWorkArea(*top_);
        }
        return false;
    }

private:
    QWidget* top_;
    bool armed_ = false;
};

// The frame of a window: what the window manager drew, else what it is expected to draw.
QMargins FrameOf(const QWidget& top)
{
    if (QWindow* handle = top.windowHandle()) {
        const QMargins m = handle->frameMargins();
        if (!m.isNull())
            return m;
    }
    return ExpectedFrame(top.fontMetrics().height());
}

QScreen* ScreenOf(const QWidget& top)
{
    if (QScreen* at = QGuiApplication::screenAt(top.geometry().center()))
        return at;
    return top.screen() ? top.screen() : QGuiApplication::primaryScreen();
}

} // namespace

void KeepOnWorkArea(QWidget& top)
{
    QScreen* screen = ScreenOf(top);
    if (!screen)
        return;
    const QRect frame = top.geometry().marginsAdded(FrameOf(top));
    const QPoint by = OntoArea(frame, screen->availableGeometry()).topLeft() - frame.topLeft();
    if (!by.isNull())
        top.setGeometry(top.geometry().translated(by));
}

struct QtFrontEnd::Window {
    Form* form = nullptr;
    QWidget* top = nullptr;
    QWidget* client = nullptr;
    std::function<void()> detach;
    std::vector<Control*> observed; // models whose observer this window set
    bool placed = false;
    double dpiX = 96, dpiY = 96;   // twips to pixels for this window's controls
    OnScreenWatch* onScreen = nullptr;
    void fitCaptions() const { FitCaptions(*top); }
};

QtFrontEnd::QtFrontEnd() : icon_(ProgramIcon())
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        dpiX_ = screen->logicalDotsPerInchX();
        dpiY_ = screen->logicalDotsPerInchY();
    }
    failed = [](const std::string& what) {
        std::fprintf(stderr, "quillmere: %s\n", what.c_str());
        QCoreApplication::exit(1);
    };
}

QtFrontEnd::~QtFrontEnd()
{
    // The forms may be gone already: only the widgets are touched here.
    for (auto& [form, w] : windows_) {
        w->detach();
        silence(w->top);
        delete w->top;
    }
    for (const QPointer<QWidget>& top : dying_)
        delete top.data();
    for (auto& [menu, popup] : popups_) {
        popup->blockSignals(true);
        delete popup;
    }
    delete tray_;
    delete trayWatch_;
}

QRect QtFrontEnd::pixels(const Window& w, const Twips& t)
{
    return QRect(TwipsToPixels(t.left, w.dpiX), TwipsToPixels(t.top, w.dpiY), TwipsToPixels(t.width, w.dpiX),
                 TwipsToPixels(t.height, w.dpiY));
}

void QtFrontEnd::bind(Form& form)
{
    auto owned = std::make_unique<Window>();
    Window& w = *owned;
    w.form = &form;
    const FormStyle& style = form.Style();

    if (auto* main = dynamic_cast<Form1*>(&form)) {
        auto* top = new FormWindow<QMainWindow>(&form);
        w.top = top;
        w.client = new QWidget(top);
        top->setCentralWidget(w.client);
        w.detach = [top] { top->detach(); };
        main_ = main;
        // Build the menus before the size is fixed: the bar sits above the client area.
        for (const auto& item : main->menuBar.Items()) {
            QMenu* menu = top->menuBar()->addMenu(plainCaption(item->Caption()));
            actions_[item.get()] = menu->menuAction();
            bindMenu(w.observed, *item, menu);
        }
    } else {
        auto* top = new FormWindow<QWidget>(&form);
        w.top = w.client = top;
        w.detach = [top] { top->detach(); };
    }

    QWidget* top = w.top;
    top->setWindowFlags(flagsFor(style.frame));
    top->setWindowTitle(text(form.Caption()));
    top->setWindowIcon(icon_);

    // A window that would not fit its screen at the screen's density is drawn
    // at a lower one, controls and captions alike.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (style.placement == Placement::Fixed) {
        if (QScreen* at = QGuiApplication::screenAt(
                QPoint(TwipsToPixels(style.left, dpiX_), TwipsToPixels(style.top, dpiY_))))
            screen = at;
    }
    w.dpiX = dpiX_;
    w.dpiY = dpiY_;
    if (screen) {
        const QSize wanted(TwipsToPixels(style.clientWidth, dpiX_), TwipsToPixels(style.clientHeight, dpiY_));
        auto* mainWindow = qobject_cast<QMainWindow*>(top);
        const int menuBar = mainWindow ? mainWindow->menuBar()->sizeHint().height() : 0;
        const double shrink =
            ShrinkToFit(wanted, menuBar, ExpectedFrame(top->fontMetrics().height()), screen->availableGeometry().size());
        w.dpiX *= shrink;
        w.dpiY *= shrink;
    }
    w.onScreen = new OnScreenWatch(top);

    const QSize client(TwipsToPixels(style.clientWidth, w.dpiX), TwipsToPixels(style.clientHeight, w.dpiY));
    if (style.frame == FrameStyle::Sizable) {
        top->resize(client);
    } else {
        w.client->setFixedSize(client);
        if (w.client != top)
            top->layout()->setSizeConstraint(QLayout::SetFixedSize);
    }
    if (style.topmost)
        KeepOnTop(top);

    std::map<std::string, QWidget*> containers;
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (Control* c : form.Controls()) {
        const std::string& container = form.ContainerOf(*c);
        QWidget* parent = container.empty() ? w.client : containers.at(container);
        bindControl(w, *c, parent);
        QWidget* made = widgets_.at(c);
        if (dynamic_cast<Frame*>(c))
            containers[c->Name()] = made;
        if (made->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace_back(c->TabIndex(), made);
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    w.fitCaptions();

    form.setObserver([this, &w](Change c, int) {
        switch (c) {
        case Change::Caption:
            w.top->setWindowTitle(text(w.form->Caption()));
            break;
        case Change::Enabled:
            w.top->setEnabled(w.form->Enabled());
            break;
        case Change::Visible:
            if (w.form->Visible()) {
                place(w);
                if (w.top->isMinimized())
                    w.top->showNormal();
                w.top->show();
                w.top->raise();
                w.top->activateWindow();
            } else {
                w.top->hide();
            }
            break;
        default:
            break;
        }
    });
    widgets_[&form] = w.client;
    form.hWnd = reinterpret_cast<NativeHandle>(top);
    windows_[&form] = std::move(owned);
    if (form.Visible()) {
        place(w);
        top->show();
    }
}

void QtFrontEnd::place(Window& w)
{
    if (w.placed)
        return;
    w.placed = true;
    const FormStyle& style = w.form->Style();
    QWidget* top = w.top;
    switch (style.placement) {
    case Placement::CenterScreen: {
        QScreen* screen = top->screen() ? top->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        top->adjustSize();
        // The frame counts where the platform knows it before the window is mapped.
        top->winId();
        const QMargins frame = top->windowHandle() ? top->windowHandle()->frameMargins() : QMargins();
        const QSize outer = top->size().grownBy(frame);
        const QRect area = screen->availableGeometry();
        top->move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
        break;
    }
    case Placement::Fixed:
        // The position is the client area's, in screen coordinates.
        top->setGeometry(QRect(QPoint(TwipsToPixels(style.left, dpiX_), TwipsToPixels(style.top, dpiY_)), top->size()));
        break;
    case Placement::SystemDefault:
        break;
    }
    if (style.placement != Placement::SystemDefault)
        KeepOnWorkArea(*top);
    // Checked again with the frame the window manager really draws.
    top->winId();
    w.onScreen->arm();
}

void QtFrontEnd::bindControl(Window& w, Control& c, QWidget* parent)
{
    QWidget* made = nullptr;
    if (auto* list = dynamic_cast<ListBox*>(&c)) {
        auto* lw = new QListWidget(parent);
        lw->setSelectionMode(QAbstractItemView::SingleSelection);
        lw->setUniformItemSizes(true);
        auto fill = [lw, list] {
            QStringList items;
            items.reserve(list->ListCount());
            for (const std::string& item : list->Items())
                items.append(text(item));
            lw->clear();
            lw->addItems(items);
        };
        fill();
        showRow(lw, list->ListIndex());
        // A reload appends up to 32,767 rows to each of six lists, one
        // notification a row. Appends are gathered and added at once at the
        // end of the event loop's turn, or before any other change to the
        // list; inserting them one by one costs about three times as much.
        auto pending = std::make_shared<QStringList>();
        auto flush = [lw, pending] {
            if (pending->isEmpty())
                return;
            const QSignalBlocker quiet(lw);
            lw->addItems(*pending);
            pending->clear();
        };
        list->setObserver([lw, list, fill, pending, flush](Change ch, int index) {
            if (ch == Change::ItemAdded && index == lw->count() + pending->size()) {
                if (pending->isEmpty())
                    QMetaObject::invokeMethod(lw, flush, Qt::QueuedConnection);
                pending->append(text(list->List(index)));
                return;
            }
            flush();
            const QSignalBlocker quiet(lw);
            switch (ch) {
            case Change::ItemAdded:
                lw->insertItem(index, text(list->List(index)));
                break;
            case Change::ItemRemoved:
                delete lw->takeItem(index);
                break;
            case Change::Cleared:
                lw->clear();
                break;
            case Change::Items:
                fill();
                break;
            default:
                applyCommon(ch, *list, lw);
                break;
            }
            showRow(lw, list->ListIndex());
        });
        // Only a row the user selects: changes from the model arrive with
        // signals blocked, and the current row that Qt gives a list when it
        // takes the focus is not selected. Taking it for a choice would let the
        // word list's Delete remove an entry that the user never chose.
        QObject::connect(lw, &QListWidget::itemSelectionChanged, lw, [this, lw, list] {
            const QList<QListWidgetItem*> chosen = lw->selectedItems();
            const int row = chosen.isEmpty() ? -1 : lw->row(chosen.first());
            if (row >= 0 && row != list->ListIndex())
                guarded(failed, [&] { list->userSelect(row); });
        });
        QObject::connect(lw, &QListWidget::itemDoubleClicked, lw,
                         [this, list] { guarded(failed, [&] { list->userDoubleClick(); }); });
        made = lw;
    } else if (auto* box = dynamic_cast<TextBox*>(&c)) {
        auto* edit = new QLineEdit(parent);
        edit->setText(text(box->Text()));
        box->setObserver([edit, box](Change ch, int) {
            const QSignalBlocker quiet(edit);
            if (ch == Change::Text) {
                if (edit->text() != text(box->Text()))
                    edit->setText(text(box->Text()));
            } else {
                applyCommon(ch, *box, edit);
            }
        });
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this, edit, box](const QString& typed) {
            guarded(failed, [&] {
                // A refused text (a pasted line break) leaves the box as the model has it.
                if (!box->userSetText(typed.toStdString()) && edit->text() != text(box->Text())) {
                    const QSignalBlocker quiet(edit);
                    edit->setText(text(box->Text()));
                }
            });
        });
        made = edit;
    } else if (auto* combo = dynamic_cast<ComboBox*>(&c)) {
        auto* cb = new QComboBox(parent);
        cb->setEditable(true);
        // The list holds the model's items only: Return must not add the typed text,
        // and no completion may change the text behind the model's back.
        cb->setInsertPolicy(QComboBox::NoInsert);
        cb->setCompleter(nullptr);
        auto sync = [cb, combo] {
            const QSignalBlocker quiet(cb);
            if (cb->currentIndex() != combo->ListIndex())
                cb->setCurrentIndex(combo->ListIndex());
            if (cb->currentText() != text(combo->Text()))
                cb->setEditText(text(combo->Text()));
        };
        for (const std::string& item : combo->Items())
            cb->addItem(text(item));
        sync();
        combo->setObserver([cb, combo, sync](Change ch, int index) {
            {
                const QSignalBlocker quiet(cb);
                switch (ch) {
                case Change::ItemAdded:
                    cb->insertItem(index, text(combo->List(index)));
                    break;
                case Change::Cleared:
                    cb->clear();
                    break;
                case Change::Selection:
                case Change::Text:
                    break;
                default:
                    applyCommon(ch, *combo, cb);
                    return;
                }
            }
            sync();
        });
        QObject::connect(cb, &QComboBox::activated, cb, [this, combo, sync](int index) {
            guarded(failed, [&] { combo->userSelect(index); });
            sync();
        });
        QObject::connect(cb->lineEdit(), &QLineEdit::textEdited, cb, [this, combo, sync](const QString& typed) {
            guarded(failed, [&] { combo->userSetText(typed.toStdString()); });
            sync();
        });
        made = cb;
    } else if (auto* option = dynamic_cast<OptionButton*>(&c)) {
        auto* rb = new QRadioButton(parent);
        SetOptionCaption(*rb, plainCaption(option->Caption()));
        // The form groups its option buttons by container; Qt must not group them again.
        rb->setAutoExclusive(false);
        rb->setChecked(option->Value());
        option->setObserver([rb, option, &w](Change ch, int) {
            const QSignalBlocker quiet(rb);
            if (ch == Change::Checked) {
                rb->setChecked(option->Value());
            } else if (ch == Change::Caption) {
                SetOptionCaption(*rb, plainCaption(option->Caption()));
                w.fitCaptions();
            } else
                applyCommon(ch, *option, rb);
        });
        QObject::connect(rb, &QAbstractButton::clicked, rb, [this, rb, option] {
            guarded(failed, [&] { option->userClick(); });
            // A click on a chosen button stays chosen, whatever Qt toggled.
            const QSignalBlocker quiet(rb);
            rb->setChecked(option->Value());
        });
        made = rb;
    } else if (auto* button = dynamic_cast<CommandButton*>(&c)) {
        auto* pb = new QPushButton(plainCaption(button->Caption()), parent);
        pb->setAutoDefault(false);
        button->setObserver([pb, button, &w](Change ch, int) {
            if (ch == Change::Caption) {
                pb->setText(plainCaption(button->Caption()));
                w.fitCaptions();
            } else
                applyCommon(ch, *button, pb);
        });
        QObject::connect(pb, &QPushButton::clicked, pb,
                         [this, button] { guarded(failed, [&] { button->userClick(); }); });
        made = pb;
    } else if (auto* frame = dynamic_cast<Frame*>(&c)) {
        auto* group = new QGroupBox(text(frame->Caption()), parent);
        frame->setObserver([group, frame, &w](Change ch, int) {
            if (ch == Change::Caption) {
                group->setTitle(text(frame->Caption()));
                w.fitCaptions();
            } else
                applyCommon(ch, *frame, group);
        });
        made = group;
    } else if (auto* image = dynamic_cast<Image*>(&c)) {
        auto* picture = new QLabel(parent);
        // The picture is stretched to the box, whatever its own size.
        picture->setScaledContents(true);
        picture->setPixmap(QPixmap(AssetPath(image->Asset())));
        image->setObserver([picture, image](Change ch, int) { applyCommon(ch, *image, picture); });
        made = picture;
    } else {
        auto* label = new QLabel(labelText(c.Caption()), parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        c.setObserver([label, &c, &w](Change ch, int) {
            if (ch == Change::Caption) {
                label->setText(labelText(c.Caption()));
                w.fitCaptions();
            } else
                applyCommon(ch, c, label);
        });
        made = label;
    }

    made->setObjectName(text(c.Name()));
    made->setGeometry(pixels(w, c.Geometry()));
    if (!c.ToolTipText().empty())
        made->setToolTip(text(c.ToolTipText()));
    made->setEnabled(c.Enabled());
    if (!c.Visible())
        made->hide();
    widgets_[&c] = made;
    w.observed.push_back(&c);
}

void QtFrontEnd::bindMenu(std::vector<Control*>& observed, Menu& menu, QMenu* into)
{
    auto addItem = [this, &observed, into](Menu& item) {
        if (!item.Items().empty()) {
            QMenu* sub = into->addMenu(plainCaption(item.Caption()));
            actions_[&item] = sub->menuAction();
            bindMenu(observed, item, sub);
            return;
        }
        QAction* a = into->addAction(plainCaption(item.Caption()));
        a->setEnabled(item.Enabled());
        a->setVisible(item.Visible());
        actions_[&item] = a;
        QObject::connect(a, &QAction::triggered, a, [this, &item] { guarded(failed, [&] { item.userClick(); }); });
        item.setObserver([a, &item](Change ch, int) {
            if (ch == Change::Caption)
                a->setText(plainCaption(item.Caption()));
            else if (ch == Change::Enabled)
                a->setEnabled(item.Enabled());
            else if (ch == Change::Visible)
                a->setVisible(item.Visible());
        });
        observed.push_back(&item);
    };
    for (const auto& item : menu.Items())
        addItem(*item);
    QAction* self = actions_.count(&menu) ? actions_[&menu] : nullptr;
    menu.setObserver([&menu, self, into, addItem](Change ch, int index) {
        if (ch == Change::ItemAdded)
            addItem(*menu.Items()[static_cast<size_t>(index)]);
        else if (ch == Change::Caption)
            into->setTitle(plainCaption(menu.Caption()));
        else if (self && ch == Change::Enabled)
            self->setEnabled(menu.Enabled());
        else if (self && ch == Change::Visible)
            self->setVisible(menu.Visible());
    });
    observed.push_back(&menu);
}

QMenu* QtFrontEnd::popupFor(Menu& menu)
{
    auto found = popups_.find(&menu);
    if (found != popups_.end())
        return found->second;
    auto* popup = new QMenu();
    popups_[&menu] = popup;
    // A pop-up menu lives with the main window; its models are observed through it.
    auto it = main_ ? windows_.find(main_) : windows_.end();
    bindMenu(it != windows_.end() ? it->second->observed : looseMenus_, menu, popup);
    return popup;
}

void QtFrontEnd::popupMenu(Menu& menu)
{
    popupFor(menu)->exec(QCursor::pos());
}

void QtFrontEnd::unbind(Form& form)
{
    auto it = windows_.find(&form);
    if (it == windows_.end())
        return;
    Window& w = *it->second;
    form.setObserver(nullptr);
    for (Control* c : w.observed) {
        c->setObserver(nullptr);
        widgets_.erase(c);
        if (auto* m = dynamic_cast<Menu*>(c)) {
            actions_.erase(m);
            auto popup = popups_.find(m);
            if (popup != popups_.end()) {
                popup->second->blockSignals(true);
                popup->second->deleteLater();
                popups_.erase(popup);
            }
        }
    }
    widgets_.erase(&form);
    w.detach();
    // The caller may be one of this window's own handlers, still running on
    // its widgets: silence them now and let the event loop delete them.
    silence(w.top);
    w.top->hide();
    w.top->deleteLater();
    dying_.erase(std::remove_if(dying_.begin(), dying_.end(), [](const QPointer<QWidget>& p) { return p.isNull(); }),
                 dying_.end());
    dying_.emplace_back(w.top);
    if (main_ == &form)
        main_ = nullptr;
    form.hWnd = 0;
    windows_.erase(it);
}

bool QtFrontEnd::addTrayIcon(const std::string& tip)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    if (!tray_) {
        tray_ = new QSystemTrayIcon(trayListening_ ? icon_ : GreyIcon(icon_));
        auto* watch = new RightButtonUp;
        watch->fire = [this] {
            if (main_)
                guarded(failed, [&] { main_->Tray_RightButtonUp(); });
        };
        trayWatch_ = watch;
        QObject::connect(tray_, &QSystemTrayIcon::activated, tray_,
                         [this](QSystemTrayIcon::ActivationReason reason) { trayActivated(reason); });
    }
    tray_->setToolTip(text(tip));
    tray_->show();
    return true;
}

void QtFrontEnd::trayActivated(int reason)
{
    auto* watch = static_cast<RightButtonUp*>(trayWatch_);
    switch (reason) {
    case QSystemTrayIcon::Context:
        // Over an XEmbed tray Qt reports the press; a notifier host asks with no button down.
        if (QGuiApplication::mouseButtons() & Qt::RightButton)
            watch->arm();
        else
            QTimer::singleShot(0, watch, [watch] { watch->fire(); });
        break;
    case QSystemTrayIcon::DoubleClick:
        QTimer::singleShot(0, watch, [this] {
            if (main_)
                guarded(failed, [&] { main_->Tray_LeftDoubleClick(); });
        });
        break;
    default:
        // A single left click, the middle button, a mere pointer movement: nothing.
        break;
    }
}

void QtFrontEnd::setTrayListening(bool listening)
{
    trayListening_ = listening;
    if (tray_)
        tray_->setIcon(listening ? icon_ : GreyIcon(icon_));
}

void QtFrontEnd::minimize(Form& form)
{
    if (QWidget* w = window(form))
        w->showMinimized();
}

QIcon GreyIcon(const QIcon& icon)
{
    QIcon grey;
    for (const QSize& size : icon.availableSizes()) {
        QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int g = qGray(line[x]);
                line[x] = qRgba(g, g, g, qAlpha(line[x]));
            }
        }
        grey.addPixmap(QPixmap::fromImage(image));
    }
    return grey;
}

void QtFrontEnd::removeTrayIcon()
{
    if (tray_)
        tray_->hide();
}

void QtFrontEnd::quit()
{
    // Queued, so that an end asked for before the event loop runs, or from a
    // nested loop such as a message box, still ends every loop.
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

QWidget* QtFrontEnd::window(const Form& form) const
{
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second->top;
}

QWidget* QtFrontEnd::widget(const Control& control) const
{
    auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

QAction* QtFrontEnd::action(const Menu& item) const
{
    auto it = actions_.find(&item);
    return it == actions_.end() ? nullptr : it->second;
}

} // namespace qm
