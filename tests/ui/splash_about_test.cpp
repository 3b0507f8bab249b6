#include "ui/splash_about.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include "ui/pictures.h"

namespace vantrel {
namespace {

TEST(TSplashWin, IsABorderlessTopmostWindowOfFixedSizeCentredWhenShown) {
    TSplashWin splash;
    EXPECT_EQ(splash.size(), QSize(357, 122));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize());
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash.NameLabel->text(), QStringLiteral("Vantrel"));
    EXPECT_EQ(splash.DescriptionLabel->text(),
              QStringLiteral("Classical dynamics simulation of atomic collisions in solids. Version 1.0, 2001."));
    EXPECT_TRUE(splash.DescriptionLabel->wordWrap());
    EXPECT_TRUE(splash.DescriptionLabel->alignment() & Qt::AlignHCenter);
    splash.ShowNow();
    EXPECT_TRUE(splash.isVisible());
    const QPoint screenCentre = splash.screen()->availableGeometry().center();
    EXPECT_LE((splash.frameGeometry().center() - screenCentre).manhattanLength(), 2);
}

TEST(TAboutForm, ShowsItsTextsAtFixedSizeAndClosesWithOk) {
    TAboutForm about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Vantrel"));
    EXPECT_EQ(about.size(), QSize(372, 327));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.NameLabel->text(), QStringLiteral("VANTREL"));
    EXPECT_EQ(about.VersionLabel->text(), QStringLiteral("Version 1.0, April 2001"));
    EXPECT_TRUE(about.DescriptionLabel->text().startsWith(QStringLiteral(
        "Vantrel models atomic collisions in metals and alloys using N-body potentials")));
    // The picture is the bundled example job at 254 fs.
    EXPECT_EQ(about.ExampleCaption->text(), QStringLiteral("Cu(100) after impact by 3 keV Ar (time = 254 fs)"));
    EXPECT_FALSE(about.ExamplePicture->pixmap().isNull());
    EXPECT_FALSE(about.IconLabel->pixmap().isNull());
    about.show();
    QApplication::processEvents();
    const QPoint screenCentre = about.screen()->availableGeometry().center();
    EXPECT_LE((about.frameGeometry().center() - screenCentre).manhattanLength(), 2);
    about.OkButton->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

TEST(TAboutForm, ExamplePictureCanBeReplacedAndFitsItsFrame) {
    TAboutForm about;
    QPixmap result(680, 240);
    result.fill(Qt::darkCyan);
    about.SetExampleResultPicture(result);
    const QPixmap shown = about.ExamplePicture->pixmap();
    EXPECT_LE(shown.width(), TAboutForm::PictureWidth);
    EXPECT_LE(shown.height(), TAboutForm::PictureHeight);
    EXPECT_EQ(shown.toImage().pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::darkCyan));
}

TEST(AtomIcons, HaveTwoSizesAndDifferentPicturesPerKind) {
    for (bool small : {false, true}) {
        const int size = small ? SmallAtomIconSize : AtomIconSize;
        const QImage a = AtomIconImage(AtomIcon::TypeA, small);
        const QImage p = AtomIconImage(AtomIcon::Projectile, small);
        const QImage b = AtomIconImage(AtomIcon::TypeB, small);
        for (const QImage* icon : {&a, &p, &b}) {
            EXPECT_EQ(icon->size(), QSize(size, size));
            EXPECT_EQ(icon->pixelColor(0, 0).alpha(), 0);  // transparent corners
            EXPECT_EQ(icon->pixelColor(size / 2, size / 2).alpha(), 255);
        }
        EXPECT_NE(a, p);
        EXPECT_NE(a, b);
        EXPECT_NE(p, b);
    }
}

}  // namespace
}  // namespace vantrel
