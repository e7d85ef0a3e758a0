// Shows a window filled with a known pattern, for the system tests to
// capture: 16 x 16 blocks whose colour depends on the block's position, or
// a picture file from its top left corner (for the benchmarks).
//
//   tess_pattern_window [--geometry WxH+X+Y] [--title T] [--frameless] [--image FILE]

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QWidget>
#include <cstdio>
#include <cstring>

namespace {

QRgb PatternColour(int x, int y) {
    const int bx = x / 16;
    const int by = y / 16;
    return qRgb((bx * 53 + 17) & 0xFF, (by * 97 + 31) & 0xFF, ((bx + by) * 29 + 71) & 0xFF);
}

class PatternWindow : public QWidget {
  public:
    QImage picture;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!picture.isNull()) {
            QPainter(this).drawImage(0, 0, picture);
            return;
        }
        QImage image(size(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                line[x] = PatternColour(x, y);
            }
        }
        QPainter(this).drawImage(0, 0, image);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PatternWindow window;
    window.setWindowTitle("Pattern");
    int w = 400, h = 300, x = 100, y = 100;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--geometry") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d+%d+%d", &w, &h, &x, &y) != 4) {
                std::fprintf(stderr, "bad geometry\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
            window.setWindowTitle(argv[++i]);
        } else if (std::strcmp(argv[i], "--frameless") == 0) {
            window.setWindowFlag(Qt::FramelessWindowHint);
        } else if (std::strcmp(argv[i], "--image") == 0 && i + 1 < argc) {
            window.picture = QImage(QString::fromLocal8Bit(argv[++i]));
            if (window.picture.isNull()) {
                std::fprintf(stderr, "cannot read %s\n", argv[i]);
                return 2;
            }
        }
    }
    window.setGeometry(x, y, w, h);
    window.show();
    return app.exec();
}
