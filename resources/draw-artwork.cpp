// Draws the program's artwork: the title picture and the window icon, green outlines on black.
// Usage: draw-artwork OUTPUT_DIR [ICON_SIZE...]  (writes title.png, icon-32.png, icon-N.png)
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>

namespace {

const QColor kOutline(0, 200, 0);

// An outline of text, scaled to fill box with the given margin and centred in it.
QPainterPath fittedText(const QString& text, const QFont& font, const QRectF& box, double margin) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    const double scale = std::min((box.width() - 2 * margin) / bounds.width(),
                                  (box.height() - 2 * margin) / bounds.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-bounds.center().x(), -bounds.center().y());
    return t.map(path);
}

// 24-bit RGB, black ground, the outline stroked in green.
QImage drawOutline(QSize size, const QString& text, const QFont& font, double margin,
                   double penWidth) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOutline, penWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(fittedText(text, font, QRectF(QPointF(0, 0), QSizeF(size)), margin));
    return image;
}

QFont boldSans() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPointSize(72);
    return font;
}

bool save(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "draw-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The icon: the letter T, its stroke growing with the size so it reads at 32 px and at 256 px.
QImage drawIcon(int pixels) {
    return drawOutline({pixels, pixels}, QStringLiteral("T"), boldSans(), pixels / 8.0,
                       std::max(1.0, pixels / 32.0));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: draw-artwork OUTPUT_DIR [ICON_SIZE...]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = save(drawOutline({178, 35}, QStringLiteral("TARMEL"), boldSans(), 4, 1.2),
                   dir + QStringLiteral("/title.png"));
    ok = save(drawIcon(32), dir + QStringLiteral("/icon-32.png")) && ok;
    for (int i = 2; i < argc; ++i) {
        bool number = false;
        const int pixels = QString::fromLocal8Bit(argv[i]).toInt(&number);
        if (!number || pixels < 16 || pixels > 1024) {
            std::fprintf(stderr, "draw-artwork: icon size must be 16..1024, got %s\n", argv[i]);
            return 2;
        }
        ok = save(drawIcon(pixels), dir + QStringLiteral("/icon-%1.png").arg(pixels)) && ok;
    }
    return ok ? 0 : 1;
}
