// Drawing a plot with QPainter: the same picture on a window, a PNG image
// (QImage) and an SVG file (QSvgGenerator).
#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include "plots/plot_spec.h"

namespace vantrel {

// Draws spec into rect: white background, frame, axes with ticks, title,
// note, labels and a legend for more than one curve.
void PaintPlot(QPainter& painter, const QRectF& rect, const PlotSpec& spec);

QImage PlotImage(const PlotSpec& spec, QSize size);

// False when the file could not be written.
bool SavePlotPng(const PlotSpec& spec, const QString& path, QSize size);
bool SavePlotSvg(const PlotSpec& spec, const QString& path, QSize size);

}  // namespace vantrel
