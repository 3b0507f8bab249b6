#include "tests/ui/screenshots/window_picture.h"

#include <cstdio>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace vantrel::testing {

void Settle() {
    for (int k = 0; k < 5; ++k) QApplication::processEvents();
}

void SaveWindowPicture(QWidget& widget, const QString& folder, const QString& name) {
    Settle();
    const QPixmap content = widget.grab();
    const QString caption = widget.isWindow() ? widget.windowTitle() : QString();
    const int strip = caption.isEmpty() ? 0 : 24;
    QImage image(content.width(), content.height() + strip, QImage::Format_RGB32);
    image.fill(QColor(60, 60, 90));
    QPainter painter(&image);
    if (strip > 0) {
        painter.setPen(Qt::white);
        painter.drawText(QRect(6, 0, image.width() - 12, strip), Qt::AlignVCenter | Qt::AlignLeft, caption);
    }
    painter.drawPixmap(0, strip, content);
    painter.end();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!image.save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

}  // namespace vantrel::testing
