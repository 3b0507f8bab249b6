// The splash window shown while the program starts, and the about box.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QWidget>

class QLabel;
class QPushButton;

namespace vantrel {

class TSplashWin : public QWidget {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 357;
    static constexpr int ClientHeight = 122;

    explicit TSplashWin(QWidget* parent = nullptr);

    // Shows the window centred on the screen and paints it at once, so it is
    // visible while the rest of start-up runs without the event loop.
    void ShowNow();

    QLabel* Picture = nullptr;
    QLabel* NameLabel = nullptr;
    QLabel* DescriptionLabel = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Where the about box looks for its picture of a real result: a resource of
// the desktop program, added once the engine has computed and drawn one.
// Until then the box shows ExampleResultPlaceholder.
inline constexpr const char* ExampleResultResource = ":/vantrel/example_result.png";

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 372;
    static constexpr int ClientHeight = 327;
    static constexpr int PictureWidth = 340;
    static constexpr int PictureHeight = 120;

    explicit TAboutForm(QWidget* parent = nullptr);

    // Replaces the example picture (scaled into its frame).
    void SetExampleResultPicture(const QPixmap& picture);

    QLabel* IconLabel = nullptr;
    QLabel* NameLabel = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* DescriptionLabel = nullptr;
    QLabel* ExamplePicture = nullptr;
    QLabel* ExampleCaption = nullptr;
    QPushButton* OkButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace vantrel
