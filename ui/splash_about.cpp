#include "ui/splash_about.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QCoreApplication>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/version.h"
#include "ui/pictures.h"
#include "ui/ui_services.h"

namespace vantrel {

namespace {

QFont LargeFont(const QWidget& widget, int pointSize) {
    QFont font = widget.font();
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}

// The version of the top CMakeLists.txt: "1.0".
QString VersionText() { return ToQt(std::string(ProgramVersion())); }

}  // namespace

// ---------------------------------------------------------------------------

TSplashWin::TSplashWin(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SplashWin"));
    setFixedSize(ClientWidth, ClientHeight);
    Picture = new QLabel(this);
    Picture->setPixmap(ProgramIconPixmap(72));
    Picture->setFixedSize(80, 80);
    Picture->setAlignment(Qt::AlignCenter);
    NameLabel = new QLabel(QStringLiteral("Vantrel"), this);
    NameLabel->setFont(LargeFont(*this, 26));
    NameLabel->setAlignment(Qt::AlignCenter);
    DescriptionLabel = new QLabel(
        QStringLiteral("Classical dynamics simulation of atomic collisions in solids. Version %1, 2001.")
            .arg(VersionText()),
        this);
    DescriptionLabel->setWordWrap(true);
    DescriptionLabel->setAlignment(Qt::AlignCenter);

    auto* text = new QVBoxLayout;
    text->addWidget(NameLabel);
    text->addWidget(DescriptionLabel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(Picture, 0, Qt::AlignVCenter);
    layout->addLayout(text, 1);
}

void TSplashWin::ShowNow() {
    show();
    CentreOnScreen(*this);
    raise();
    repaint();
    // Start-up runs before the event loop: let the window system map and
    // draw the window now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TSplashWin::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient ground(0, 0, 0, height());
    ground.setColorAt(0.0, QColor(236, 242, 250));
    ground.setColorAt(1.0, QColor(196, 212, 232));
    painter.fillRect(rect(), ground);
    painter.setPen(QColor(90, 110, 140));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Vantrel"));
    setObjectName(QStringLiteral("AboutForm"));
    setFixedSize(ClientWidth, ClientHeight);

    IconLabel = new QLabel(this);
    IconLabel->setPixmap(ProgramIconPixmap(48));
    IconLabel->setFixedSize(52, 52);
    NameLabel = new QLabel(QStringLiteral("VANTREL"), this);
    NameLabel->setFont(LargeFont(*this, 20));
    VersionLabel = new QLabel(QStringLiteral("Version %1, April 2001").arg(VersionText()), this);
    DescriptionLabel = new QLabel(
        QStringLiteral("Vantrel models atomic collisions in metals and alloys using N-body potentials "
                       "joined to a screened-Coulomb repulsion, with optional electronic losses."),
        this);
    DescriptionLabel->setWordWrap(true);

    ExamplePicture = new QLabel(this);
    ExamplePicture->setFixedSize(PictureWidth, PictureHeight);
    ExamplePicture->setFrameShape(QFrame::Box);
    ExamplePicture->setAlignment(Qt::AlignCenter);
    if (QFile::exists(QString::fromLatin1(ExampleResultResource)))
        SetExampleResultPicture(QPixmap(QString::fromLatin1(ExampleResultResource)));
    else
        ExamplePicture->setPixmap(ExampleResultPlaceholder(PictureWidth - 2, PictureHeight - 2));
    ExampleCaption = new QLabel(QStringLiteral("Cu(100) after impact by 3 keV Ar (time = 254 fs)"), this);
    ExampleCaption->setAlignment(Qt::AlignCenter);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* head = new QGridLayout;
    head->addWidget(IconLabel, 0, 0, 2, 1, Qt::AlignTop);
    head->addWidget(NameLabel, 0, 1);
    head->addWidget(VersionLabel, 1, 1);
    head->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addLayout(head);
    layout->addWidget(DescriptionLabel);
    layout->addWidget(ExamplePicture, 0, Qt::AlignHCenter);
    layout->addWidget(ExampleCaption);
    layout->addStretch(1);
    layout->addWidget(OkButton, 0, Qt::AlignHCenter);
}

void TAboutForm::SetExampleResultPicture(const QPixmap& picture) {
    ExamplePicture->setPixmap(picture.scaled(PictureWidth - 2, PictureHeight - 2, Qt::KeepAspectRatio,
                                             Qt::SmoothTransformation));
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) CentreOnScreen(*this);
}

}  // namespace vantrel
