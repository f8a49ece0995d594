#pragma once
// The images and icons compiled into the GUI library, and the pictures every page shares.

#include <QString>

#include <functional>

class QIcon;
class QPixmap;

namespace GuiResources {

/// Registers the images and icons compiled into the GUI library (safe to call more than once).
void init();

/// The icon of a picture file, built once and shared by every page that shows it. A page is
/// built for every plug and every file: an icon built anew each time would put new pixmaps
/// into the pixmap cache whenever it is drawn, where a shared one finds them again. The shared
/// pictures go with the application object (a restart builds them again).
QIcon sharedIcon(const QString &path);
/// A picture built once under key by make and shared the same way.
QPixmap sharedPixmap(const QString &key, const std::function<QPixmap()> &make);

} // namespace GuiResources
