// The modal window that shows an error of a user-programmed selection
// condition: caption "Error parsing expression", the message in Courier
// New so that the "^" pointer line stands under the offending character,
// and an OK button that is the default and closes the window.
//
// Layout in dialog units of its font (horizontal: a quarter of the average
// character width, vertical: an eighth of the line height): client area
// 500 pixels wide and 63 units high, the message 8 units from the top left,
// the OK button 50 x 14 units at 400 pixels from the left and 41 units from
// the top.  A message too wide or too tall for that area widens or deepens
// the window rather than being clipped.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace vantrel {

class ExpressionErrorWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 500;     // pixels
    static constexpr int ClientHeightUnits = 63;
    static constexpr int MessageOffsetUnits = 8;
    static constexpr int OkLeft = 400;          // pixels
    static constexpr int OkTopUnits = 41;
    static constexpr int OkWidthUnits = 50;
    static constexpr int OkHeightUnits = 14;

    explicit ExpressionErrorWindow(const QString& message, QWidget* parent = nullptr);

    QLabel* Message = nullptr;
    QPushButton* OkButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

// Shows the window modally and returns when the user has closed it.
void ShowExpressionErrorWindow(QWidget* parent, const QString& message);

}  // namespace vantrel
