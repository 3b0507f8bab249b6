#include "plots/plot_painter.h"

#include <algorithm>
#include <cmath>

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QSvgGenerator>

namespace vantrel {

namespace {

const QColor BarFill(142, 178, 222);
const QColor BarLine(70, 100, 150);
const QColor FitColour(200, 30, 30);
const QColor CurveColours[] = {QColor(30, 80, 180), QColor(200, 30, 30), QColor(20, 140, 60),
                               QColor(160, 60, 170), QColor(220, 120, 0), QColor(0, 0, 0)};

// A tick step of 1, 2 or 5 times a power of ten giving about count ticks.
double NiceStep(double range, int count) {
    if (!(range > 0)) return 1.0;
    const double raw = range / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / power;
    const double nice = mantissa < 1.5 ? 1 : mantissa < 3.5 ? 2 : mantissa < 7.5 ? 5 : 10;
    return nice * power;
}

QString TickText(double value, double step) {
    if (std::fabs(value) < step * 1e-6) value = 0;
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return QString::number(value, 'f', std::max(decimals, 0));
}

struct Range {
    double Low = 0, High = 1;
    void Include(double v) {
        if (!std::isfinite(v)) return;
        if (empty) {
            Low = High = v;
            empty = false;
        } else {
            Low = std::min(Low, v);
            High = std::max(High, v);
        }
    }
    bool empty = true;
};

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void PaintPlot(QPainter& painter, const QRectF& rect, const PlotSpec& spec) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(rect, Qt::white);
    QFont font = painter.font();
    font.setPixelSize(std::max(10, static_cast<int>(rect.height() / 40)));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double line = metrics.height();

    // Title and note above the plot area, labels below and to the left.
    QFont titleFont = font;
    titleFont.setBold(true);
    titleFont.setPixelSize(static_cast<int>(font.pixelSize() * 1.2));
    const double top = rect.top() + line * (spec.Note.empty() ? 2.2 : 3.2);
    const QRectF area(rect.left() + line * 4.5, top, rect.width() - line * 6.0,
                      rect.bottom() - line * 3.2 - top);
    painter.setPen(Qt::black);
    painter.setFont(titleFont);
    painter.drawText(QRectF(rect.left(), rect.top() + line * 0.3, rect.width(), line * 1.4),
                     Qt::AlignHCenter | Qt::AlignVCenter, Text(spec.Title));
    painter.setFont(font);
    if (!spec.Note.empty())
        painter.drawText(QRectF(rect.left(), rect.top() + line * 1.7, rect.width(), line * 1.2),
                         Qt::AlignHCenter | Qt::AlignVCenter, Text(spec.Note));

    // Ranges.
    Range xs, ys;
    ys.Include(0.0);
    if (spec.Histogram) {
        xs.Include(spec.BinLow);
        xs.Include(spec.BinHigh);
        for (const double y : spec.Bars.Y) ys.Include(y);
        for (const double y : spec.Fit.Y) ys.Include(y);
    } else {
        for (const PlotSeries& s : spec.Curves) {
            for (std::size_t k = 0; k < s.X.size(); ++k) {
                xs.Include(s.X[k]);
                const double e = k < s.Error.size() && std::isfinite(s.Error[k]) ? s.Error[k] : 0;
                ys.Include(s.Y[k] + e);
                ys.Include(s.Y[k] - e);
            }
        }
        const double pad = xs.High > xs.Low ? 0.06 * (xs.High - xs.Low) : 1.0;
        xs.Low -= pad;
        xs.High += pad;
    }
    if (ys.High <= ys.Low) ys.High = ys.Low + 1;
    ys.High += 0.08 * (ys.High - ys.Low);
    const double xStep = std::max(NiceStep(xs.High - xs.Low, 6), spec.WholeX ? 1.0 : 0.0);
    const double yStep = std::max(NiceStep(ys.High - ys.Low, 5), spec.Histogram ? 1.0 : 0.0);
    if (!spec.Histogram) {
        xs.Low = std::floor(xs.Low / xStep) * xStep;
        xs.High = std::ceil(xs.High / xStep) * xStep;
    }
    ys.High = std::ceil(ys.High / yStep) * yStep;
    if (ys.Low < 0) ys.Low = std::floor(ys.Low / yStep) * yStep;

    auto px = [&](double x) { return area.left() + (x - xs.Low) / (xs.High - xs.Low) * area.width(); };
    auto py = [&](double y) { return area.bottom() - (y - ys.Low) / (ys.High - ys.Low) * area.height(); };

    // Grid, ticks and their numbers.
    painter.setPen(QPen(QColor(225, 225, 225), 1));
    for (double y = ys.Low; y <= ys.High + yStep * 1e-6; y += yStep)
        painter.drawLine(QPointF(area.left(), py(y)), QPointF(area.right(), py(y)));
    painter.setPen(Qt::black);
    for (double y = ys.Low; y <= ys.High + yStep * 1e-6; y += yStep)
        painter.drawText(QRectF(rect.left(), py(y) - line / 2, area.left() - rect.left() - 6, line),
                         Qt::AlignRight | Qt::AlignVCenter, TickText(y, yStep));
    const double firstX = std::ceil(xs.Low / xStep - 1e-9) * xStep;
    for (double x = firstX; x <= xs.High + xStep * 1e-6; x += xStep) {
        painter.drawLine(QPointF(px(x), area.bottom()), QPointF(px(x), area.bottom() + 4));
        painter.drawText(QRectF(px(x) - 40, area.bottom() + 5, 80, line),
                         Qt::AlignHCenter | Qt::AlignTop, TickText(x, xStep));
    }
    painter.drawText(QRectF(area.left(), area.bottom() + line * 1.4, area.width(), line * 1.3),
                     Qt::AlignHCenter | Qt::AlignVCenter, Text(spec.XLabel));
    painter.save();
    painter.translate(rect.left() + line * 0.9, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-area.height() / 2, -line * 0.7, area.height(), line * 1.4),
                     Qt::AlignHCenter | Qt::AlignVCenter, Text(spec.YLabel));
    painter.restore();

    painter.setClipRect(area.adjusted(-4, -4, 4, 4));
    if (spec.Histogram) {
        const std::size_t bins = spec.Bars.Y.size();
        const double width = bins ? (spec.BinHigh - spec.BinLow) / bins : 0;
        painter.setPen(QPen(BarLine, 1));
        painter.setBrush(BarFill);
        for (std::size_t k = 0; k < bins; ++k) {
            const double x0 = spec.BinLow + k * width;
            painter.drawRect(QRectF(QPointF(px(x0), py(spec.Bars.Y[k])),
                                    QPointF(px(x0 + width), py(0))));
        }
        if (!spec.Fit.Y.empty()) {
            QPainterPath path;
            for (std::size_t k = 0; k < spec.Fit.Y.size() && k < spec.Fit.X.size(); ++k) {
                const QPointF p(px(spec.Fit.X[k]), py(spec.Fit.Y[k]));
                k == 0 ? path.moveTo(p) : path.lineTo(p);
            }
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(FitColour, 2));
            painter.drawPath(path);
        }
    } else {
        std::size_t colour = 0;
        for (const PlotSeries& s : spec.Curves) {
            const QColor c = CurveColours[colour++ % std::size(CurveColours)];
            painter.setPen(QPen(c, 1.6));
            painter.setBrush(Qt::NoBrush);
            QPainterPath path;
            for (std::size_t k = 0; k < s.X.size(); ++k) {
                const QPointF p(px(s.X[k]), py(s.Y[k]));
                k == 0 ? path.moveTo(p) : path.lineTo(p);
            }
            painter.drawPath(path);
            painter.setBrush(c);
            for (std::size_t k = 0; k < s.X.size(); ++k) {
                const double x = px(s.X[k]);
                if (k < s.Error.size() && std::isfinite(s.Error[k]) && s.Error[k] > 0) {
                    const double lo = py(s.Y[k] - s.Error[k]), hi = py(s.Y[k] + s.Error[k]);
                    painter.drawLine(QPointF(x, lo), QPointF(x, hi));
                    painter.drawLine(QPointF(x - 4, lo), QPointF(x + 4, lo));
                    painter.drawLine(QPointF(x - 4, hi), QPointF(x + 4, hi));
                }
                painter.drawEllipse(QPointF(x, py(s.Y[k])), 3.5, 3.5);
            }
        }
    }
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(area);

    // Legend: the fit, or the curves when there is more than one.
    std::vector<std::pair<QString, QColor>> legend;
    if (spec.Histogram && !spec.Fit.Y.empty() && !spec.Fit.Label.empty())
        legend.emplace_back(Text(spec.Fit.Label), FitColour);
    if (!spec.Histogram && spec.Curves.size() > 1) {
        std::size_t colour = 0;
        for (const PlotSeries& s : spec.Curves)
            legend.emplace_back(Text(s.Label), CurveColours[colour++ % std::size(CurveColours)]);
    }
    double y = area.top() + line * 0.6;
    for (const auto& [label, colour] : legend) {
        const double textWidth = metrics.horizontalAdvance(label);
        const double x = area.right() - textWidth - line * 2.2;
        painter.setPen(QPen(colour, 2));
        painter.drawLine(QPointF(x, y + line / 2), QPointF(x + line * 1.2, y + line / 2));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x + line * 1.5, y, textWidth + 4, line), Qt::AlignLeft | Qt::AlignVCenter,
                         label);
        y += line * 1.2;
    }
    painter.restore();
}

QImage PlotImage(const PlotSpec& spec, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPlot(painter, QRectF(QPointF(0, 0), QSizeF(size)), spec);
    painter.end();
    return image;
}

bool SavePlotPng(const PlotSpec& spec, const QString& path, QSize size) {
    return PlotImage(spec, size).save(path, "PNG");
}

bool SavePlotSvg(const PlotSpec& spec, const QString& path, QSize size) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(Text(spec.Title));
    svg.setDescription(QStringLiteral("Vantrel result plot"));
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    PaintPlot(painter, QRectF(QPointF(0, 0), QSizeF(size)), spec);
    return painter.end();
}

}  // namespace vantrel
