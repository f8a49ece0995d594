#include "gui/GuiResources.h"

#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QPointer>

static void initGuiResourcesImpl()
{
    Q_INIT_RESOURCE(gui);
}

namespace GuiResources {

void init()
{
    static bool done = false;
    if (!done) {
        done = true;
        initGuiResourcesImpl();
    }
}

namespace {
/// The shared pictures, kept by the application object: pixmaps must go while it still exists.
class SharedPictures : public QObject
{
public:
    explicit SharedPictures(QObject *app) : QObject(app) {}
    QHash<QString, QIcon> icons;
    QHash<QString, QPixmap> pixmaps;

    /// The store of the running application object (null before there is one).
    static SharedPictures *instance()
    {
        static QPointer<SharedPictures> store;
        if (!store && QCoreApplication::instance())
            store = new SharedPictures(QCoreApplication::instance());
        return store;
    }
};
} // namespace

QIcon sharedIcon(const QString &path)
{
    SharedPictures *store = SharedPictures::instance();
    if (!store)
        return QIcon(path);
    auto it = store->icons.find(path);
    if (it == store->icons.end())
        it = store->icons.insert(path, QIcon(path));
    return it.value();
}

QPixmap sharedPixmap(const QString &key, const std::function<QPixmap()> &make)
{
    SharedPictures *store = SharedPictures::instance();
    if (!store)
        return make();
    auto it = store->pixmaps.find(key);
    if (it == store->pixmaps.end())
        it = store->pixmaps.insert(key, make());
    return it.value();
}

} // namespace GuiResources
