// qm-colourful-pixels IMAGE.png: prints how many pixels have a colour, that
// is channels more than 24 apart, so that a test can tell a grey icon from a
// coloured one without image tools.
#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s IMAGE.png\n", argv[0]);
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    long count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int hi = std::max({c.red(), c.green(), c.blue()});
            const int lo = std::min({c.red(), c.green(), c.blue()});
            if (hi - lo > 24)
                ++count;
        }
    std::printf("%ld\n", count);
    return 0;
}
