#include "ui/pictures.h"

#include <array>
#include <cmath>

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace vantrel {

namespace {

struct SphereColours {
    QColor Light;
    QColor Body;
    QColor Rim;
};

SphereColours ColoursOf(AtomIcon kind) {
    switch (kind) {
        case AtomIcon::Projectile:
            return {QColor(255, 214, 140), QColor(230, 60, 30), QColor(110, 15, 0)};
        case AtomIcon::TypeB:
            return {QColor(190, 255, 200), QColor(40, 170, 80), QColor(0, 70, 25)};
        case AtomIcon::TypeA:
        default:
            return {QColor(255, 236, 210), QColor(200, 130, 70), QColor(90, 45, 10)};
    }
}

void DrawSphere(QPainter& painter, const QRectF& box, const SphereColours& colours) {
    const QPointF centre = box.center();
    const double radius = box.width() / 2.0;
    QRadialGradient shade(centre, radius, centre - QPointF(radius * 0.35, radius * 0.35));
    shade.setColorAt(0.0, colours.Light);
    shade.setColorAt(0.55, colours.Body);
    shade.setColorAt(1.0, colours.Rim);
    painter.setBrush(shade);
    painter.setPen(QPen(colours.Rim.darker(150), 1.0));
    painter.drawEllipse(box);
}

}  // namespace

QImage AtomIconImage(AtomIcon kind, bool small) {
    const int size = small ? SmallAtomIconSize : AtomIconSize;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A thin light halo outside the dark rim keeps the outline visible on black.
    painter.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    DrawSphere(painter, QRectF(1.5, 1.5, size - 3.0, size - 3.0), ColoursOf(kind));
    if (kind == AtomIcon::Projectile) {
        // A white ring marks the projectile even where colours are hard to tell apart.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255, 220), size / 14.0));
        const double inset = size * 0.3;
        painter.drawEllipse(QRectF(inset, inset, size - 2 * inset, size - 2 * inset));
    }
    return image;
}

QPixmap ProgramIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    // Incoming track.
    painter.setPen(QPen(QColor(200, 30, 20), 3.0 * s, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(6 * s, 4 * s), QPointF(28 * s, 26 * s));
    // A small crystal: two rows of atoms.
    const SphereColours target = ColoursOf(AtomIcon::TypeA);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col) {
            const double x = 2 * s + col * 17 * s + row * 8 * s;
            const double y = 32 * s + row * 14 * s;
            DrawSphere(painter, QRectF(x, y, 16 * s, 16 * s), target);
        }
    DrawSphere(painter, QRectF(22 * s, 19 * s, 13 * s, 13 * s), ColoursOf(AtomIcon::Projectile));
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}

QIcon ToolBarIcon(ToolIcon kind) {
    constexpr int size = 24;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(30, 30, 30);
    switch (kind) {
        case ToolIcon::ZoomIn:
        case ToolIcon::ZoomOut: {
            painter.setPen(QPen(ink, 2.0));
            painter.setBrush(QColor(210, 230, 255));
            painter.drawEllipse(QRectF(3, 3, 13, 13));
            painter.setPen(QPen(ink, 3.0, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(15, 15), QPointF(21, 21));
            painter.setPen(QPen(ink, 2.0));
            painter.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
            if (kind == ToolIcon::ZoomIn) painter.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
            break;
        }
        default: {
            // An arrow pointing right, turned for the other directions.
            painter.translate(size / 2.0, size / 2.0);
            const double angle = kind == ToolIcon::ShiftRight ? 0
                                 : kind == ToolIcon::ShiftDown ? 90
                                 : kind == ToolIcon::ShiftLeft ? 180
                                                               : 270;
            painter.rotate(angle);
            QPainterPath arrow;
            arrow.moveTo(-9, -3);
            arrow.lineTo(1, -3);
            arrow.lineTo(1, -8);
            arrow.lineTo(10, 0);
            arrow.lineTo(1, 8);
            arrow.lineTo(1, 3);
            arrow.lineTo(-9, 3);
            arrow.closeSubpath();
            painter.setPen(QPen(ink, 1.2));
            painter.setBrush(QColor(70, 140, 220));
            painter.drawPath(arrow);
            break;
        }
    }
    return QIcon(pixmap);
}

QIcon CommandBarIcon(CommandIcon kind) {
    constexpr int size = 24;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(30, 30, 30);
    painter.setPen(QPen(ink, 1.2));
    switch (kind) {
        case CommandIcon::Begin: {
            QPainterPath play;
            play.moveTo(6, 3);
            play.lineTo(20, 12);
            play.lineTo(6, 21);
            play.closeSubpath();
            painter.setBrush(QColor(40, 170, 60));
            painter.drawPath(play);
            break;
        }
        case CommandIcon::Cancel: {
            painter.setBrush(QColor(215, 40, 30));
            painter.drawRoundedRect(QRectF(4, 4, 16, 16), 3, 3);
            painter.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
            painter.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
            break;
        }
        case CommandIcon::InputFiles: {
            painter.setBrush(QColor(230, 190, 80));
            painter.drawRect(QRectF(2.5, 6.5, 17, 13));
            painter.drawRect(QRectF(2.5, 4.5, 7, 2));
            QPainterPath flap;
            flap.moveTo(5.5, 10.5);
            flap.lineTo(22.5, 10.5);
            flap.lineTo(19.5, 19.5);
            flap.lineTo(2.5, 19.5);
            flap.closeSubpath();
            painter.setBrush(QColor(250, 215, 110));
            painter.drawPath(flap);
            break;
        }
        case CommandIcon::Graph: {
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(2.5, 2.5, 19, 19));
            painter.setPen(QPen(ink, 1.0));
            painter.drawLine(QPointF(5, 19), QPointF(19, 19));
            painter.drawLine(QPointF(5, 19), QPointF(5, 5));
            painter.setPen(Qt::NoPen);
            const QPointF dots[] = {{8, 15}, {11, 11}, {14, 13}, {17, 7}, {12, 16}, {16, 10}};
            int k = 0;
            for (const QPointF& dot : dots) {
                painter.setBrush(k++ == 3 ? QColor(215, 40, 30) : QColor(40, 90, 200));
                painter.drawEllipse(dot, 1.8, 1.8);
            }
            break;
        }
        case CommandIcon::ClearLog: {
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(4.5, 2.5, 14, 19));
            painter.setPen(QPen(QColor(120, 120, 120), 1.0));
            for (int y = 6; y <= 18; y += 3) painter.drawLine(QPointF(7, y), QPointF(16, y));
            painter.setPen(QPen(QColor(215, 40, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(11, 11), QPointF(21, 21));
            painter.drawLine(QPointF(21, 11), QPointF(11, 21));
            break;
        }
        case CommandIcon::Step: {
            QPainterPath play;
            play.moveTo(4, 4);
            play.lineTo(15, 12);
            play.lineTo(4, 20);
            play.closeSubpath();
            painter.setBrush(QColor(70, 140, 220));
            painter.drawPath(play);
            painter.drawRect(QRectF(16.5, 4.5, 3.5, 15.5));
            break;
        }
        case CommandIcon::OutputFiles: {
            painter.setBrush(QColor(60, 90, 170));
            painter.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(6.5, 3.5, 11, 7));
            painter.setBrush(QColor(200, 200, 200));
            painter.drawRect(QRectF(7.5, 14.5, 9, 6));
            break;
        }
    }
    return QIcon(pixmap);
}

QIcon ProjectFileIcon(bool inUse) {
    constexpr int size = 16;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor edge = inUse ? QColor(40, 70, 140) : QColor(170, 170, 170);
    const QColor page = inUse ? QColor(235, 242, 255) : QColor(240, 240, 240);
    QPainterPath sheet;
    sheet.moveTo(2.5, 1.5);
    sheet.lineTo(10.5, 1.5);
    sheet.lineTo(13.5, 4.5);
    sheet.lineTo(13.5, 14.5);
    sheet.lineTo(2.5, 14.5);
    sheet.closeSubpath();
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(page);
    painter.drawPath(sheet);
    painter.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
    painter.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
    painter.setPen(QPen(inUse ? QColor(70, 140, 220) : QColor(195, 195, 195), 1.0));
    for (int y = 7; y <= 12; y += 2) painter.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
    return QIcon(pixmap);
}

QPixmap ExampleResultPlaceholder(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Side view of a few atomic layers: a fixed pseudo-random displacement
    // grows towards the impact point, and a few atoms fly off the surface.
    const QImage substrate = AtomIconImage(AtomIcon::TypeA, true).scaled(12, 12, Qt::IgnoreAspectRatio,
                                                                         Qt::SmoothTransformation);
    const QImage overlayer = AtomIconImage(AtomIcon::TypeB, true).scaled(12, 12, Qt::IgnoreAspectRatio,
                                                                         Qt::SmoothTransformation);
    const QImage projectile = AtomIconImage(AtomIcon::Projectile, true).scaled(12, 12, Qt::IgnoreAspectRatio,
                                                                               Qt::SmoothTransformation);
    std::uint32_t seed = 12345;
    auto jitter = [&seed]() {
        seed = seed * 134775813u + 1u;
        return static_cast<double>(seed) / 4294967296.0 - 0.5;
    };
    const double surface = height * 0.35;
    const double impactX = width * 0.5;
    for (int layer = 0; layer < 6; ++layer) {
        for (int column = 0; column * 10 < width + 10; ++column) {
            const double x0 = column * 10.0 + (layer % 2) * 5.0;
            const double y0 = surface + layer * 9.0;
            const double distance = std::hypot(x0 - impactX, (y0 - surface) * 2.0);
            const double spread = 30.0 * std::exp(-distance / 28.0);
            const double x = x0 + jitter() * spread;
            const double y = y0 + jitter() * spread;
            painter.drawImage(QPointF(x - 6, y - 6), layer == 0 ? overlayer : substrate);
        }
    }
    for (int k = 0; k < 4; ++k) {
        const double x = impactX + (k - 1.5) * 22.0 + jitter() * 8.0;
        const double y = surface - 20.0 - k * 11.0 - jitter() * 10.0;
        painter.drawImage(QPointF(x - 6, y - 6), k == 2 ? projectile : overlayer);
    }
    return pixmap;
}

}  // namespace vantrel
