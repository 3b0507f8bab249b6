// Saving a window as a PNG picture, for the screenshot programs.
#pragma once

#include <QString>

class QWidget;

namespace vantrel::testing {

// Lets queued paints and layouts happen before a grab.
void Settle();

// Writes folder/name.png: the widget's contents, with a window's caption
// written in a strip above them, since a grab holds no title bar.  Prints
// the path, or a message on standard error when it cannot be written.
void SaveWindowPicture(QWidget& widget, const QString& folder, const QString& name);

}  // namespace vantrel::testing
