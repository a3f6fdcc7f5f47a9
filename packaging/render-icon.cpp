// Draws the program's SVG icon as square PNG files, one per size, with the same SVG engine
// the program draws its window icon with, so the pictures never drift from the drawing.
//
//   render-icon scoutwell.svg OUTPUT-FOLDER 16 32 48
//   # writes OUTPUT-FOLDER/16x16/apps/scoutwell.png, ... (the icon theme's layout)
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: render-icon SVG-FILE OUTPUT-FOLDER SIZE...\n");
        return 2;
    }
    const QString svg = arguments[1];
    const QString name = QFileInfo(svg).completeBaseName() + QStringLiteral(".png");
    for (const QString& sizeText : arguments.mid(3)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "render-icon: %s is not a size in pixels\n", qPrintable(sizeText));
            return 2;
        }
        QImageReader reader(svg);
        reader.setScaledSize(QSize(size, size));
        const QImage image = reader.read();
        if (image.isNull()) {
            std::fprintf(stderr, "render-icon: cannot draw %s: %s (Debian: libqt6svg6)\n",
                         qPrintable(svg), qPrintable(reader.errorString()));
            return 1;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments[2]).arg(size);
        if (!QDir().mkpath(folder) || !image.save(folder + QLatin1Char('/') + name)) {
            std::fprintf(stderr, "render-icon: cannot write into %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
