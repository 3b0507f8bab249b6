#include "ui/expression_error.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "ui/ui_services.h"

namespace vantrel {

ExpressionErrorWindow::ExpressionErrorWindow(const QString& message, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Error parsing expression"));
    setObjectName(QStringLiteral("ExpressionErrorWindow"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSize(10);
    setFont(courier);

    const QFontMetrics metrics(font());
    const double unitX = metrics.averageCharWidth() / 4.0;
    const double unitY = metrics.height() / 8.0;
    const auto ux = [unitX](int units) { return static_cast<int>(std::lround(units * unitX)); };
    const auto uy = [unitY](int units) { return static_cast<int>(std::lround(units * unitY)); };

    Message = new QLabel(message, this);
    Message->setTextFormat(Qt::PlainText);
    Message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Message->move(ux(MessageOffsetUnits), uy(MessageOffsetUnits));
    Message->adjustSize();

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    OkButton->setAutoDefault(true);
    OkButton->resize(ux(OkWidthUnits), uy(OkHeightUnits));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    // The prescribed area, enlarged only when the message would not fit in it.
    int width = ClientWidth;
    int height = uy(ClientHeightUnits);
    int okLeft = OkLeft;
    int okTop = uy(OkTopUnits);
    const int margin = ux(MessageOffsetUnits);
    width = std::max(width, Message->x() + Message->width() + margin);
    okLeft += width - ClientWidth;
    // Four lines fit above the button; the last one's descent may reach a
    // unit into the button's margin.  More lines push the button down.
    const int messageBottom = Message->y() + Message->height();
    if (messageBottom > okTop + uy(1)) {
        height += messageBottom - okTop;
        okTop = messageBottom;
    }
    OkButton->move(okLeft, okTop);
    setFixedSize(width, height);
}

void ExpressionErrorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) CentreOnScreen(*this);
}

void ShowExpressionErrorWindow(QWidget* parent, const QString& message) {
    ExpressionErrorWindow window(message, parent);
    window.exec();
}

}  // namespace vantrel
