// qm-grab-window WINDOW_ID OUT.png: saves a screenshot of one X11 window,
// through Qt's own screen grab, so the tests need no image tools.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WINDOW_ID OUT.png\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    bool ok = false;
    const WId window = QString::fromLocal8Bit(argv[1]).toULongLong(&ok, 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!ok || !screen) {
        std::fprintf(stderr, "no window id or no screen\n");
        return 2;
    }
    const QPixmap shot = screen->grabWindow(window);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "could not grab window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    std::printf("%dx%d\n", shot.width(), shot.height());
    return 0;
}
