// The device configuration frames (WdgOrv for a connected device, WdgOrvVirtual for an offline
// one): the header they draw, the picture rule, how they host the device object, the Close
// button by connection mode, and what their buttons do before and after a device is hosted.

#include "device/model/Catalog.h"
#include "device/family/FamilyParams.h"
#include "editors/OrvObject.h"
#include "device/protocol/Protocol.h"
#include "support/SimComm.h"
#include "editors/WdgOrv.h"
#include "editors/WdgOrvVirtual.h"
#include "sim/SimDevice.h"
#include "support/RecordingReporter.h"
#include "support/RecordingTranslator.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Device types without a catalog row of their own; initTestCase gives them rows whose
// pictures are the test pictures below.
constexpr int kType40Px = 90;       ///< picture 30 x 40: shown as it is
constexpr int kType50Px = 91;       ///< picture 80 x 50: shown as it is
constexpr int kType51Px = 92;       ///< picture 102 x 51: reduced to 100 x 50
constexpr int kTypeNoPicture = 93;  ///< no catalog row: empty picture path
constexpr int kTypeBadPicture = 94; ///< a picture file that is not an image
constexpr int kRev = 0x0100;
constexpr int kKiv = 14;

const QString kTechnology = QStringLiteral("LoraWan/Sigfox (Bidirectional)");

QImage brandPicture()
{
    return QPixmap(QLatin1String(OrvFramePage::kBrandPicture)).toImage();
}

/// A picture of alternating black and white rows: a smooth reduction shows grey rows, a fast
/// one only black and white.
QImage stripes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (y % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
    return image;
}

bool hasGrey(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int g = qGray(image.pixel(x, y));
            if (g > 20 && g < 235)
                return true;
        }
    }
    return false;
}

/// One of the two frames behind a common face.
struct Frame
{
    std::unique_ptr<QWidget> widget;
    std::function<void(OrvObject *)> setDevice;

    template <typename T> T *child(const char *name) const
    {
        return widget->findChild<T *>(QLatin1String(name));
    }
    QLabel *label(const char *name) const { return child<QLabel>(name); }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QWidget *container() const { return child<QWidget>("widget_wdgOrv"); }
    QImage image() const { return label("label_image")->pixmap(Qt::ReturnByValue).toImage(); }
};

/// A connected frame (mode: WdgOrv::ConnectionMode) or an offline one.
Frame makeFrame(bool offline, int mode = WdgOrv::ModeBle)
{
    Frame f;
    if (offline) {
        auto *page = new WdgOrvVirtual;
        f.widget.reset(page);
        f.setDevice = [page](OrvObject *device) { page->setDevice(device); };
    } else {
        auto *page = new WdgOrv;
        f.widget.reset(page);
        f.setDevice = [page, mode](OrvObject *device) { page->setDevice(device, mode); };
    }
    return f;
}

void addFrameRows(const char *what)
{
    QTest::newRow(qPrintable(QStringLiteral("connected, %1").arg(QLatin1String(what)))) << false;
    QTest::newRow(qPrintable(QStringLiteral("offline, %1").arg(QLatin1String(what)))) << true;
}

} // namespace

class TestOrvPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void brandHeaderBeforeDevice_data();
    void brandHeaderBeforeDevice();
    void formTextsAndContexts();
    void hostsDevice_data();
    void hostsDevice();
    void reusesContainerLayout();
    void secondDeviceIgnored_data();
    void secondDeviceIgnored();
    void pictureRule_data();
    void pictureRule();
    void closeVisibility_data();
    void closeVisibility();
    void connectedClicksBeforeDevice();
    void connectedClicksRunTransactions();
    void offlineButtonsEmit_data();
    void offlineButtonsEmit();
    void deletedDeviceDisablesButtons_data();
    void deletedDeviceDisablesButtons();
    void pagesSharePictures();

private:
    /// An OrvObject connected to m_sim, with the family's parameter names.
    OrvObject *simulatedDevice();

    QTemporaryDir m_dir;
    std::unique_ptr<ScopedRecordingReporter> m_rep;
    std::unique_ptr<SimDevice> m_sim;
};

void TestOrvPages::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const struct
    {
        int type;
        QImage image;
    } pictures[] = {
        {kType40Px, stripes(30, 40)},
        {kType50Px, stripes(80, 50)},
        {kType51Px, stripes(102, 51)},
    };
    for (const auto &p : pictures) {
        const QString path = m_dir.filePath(QStringLiteral("type%1.png").arg(p.type));
        QVERIFY(p.image.save(path));
        OrvList::instance().append(p.type, kRev, kKiv, QStringLiteral("Test device %1").arg(p.type), path,
                                   {});
    }
    const QString bad = m_dir.filePath(QStringLiteral("bad.png"));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    OrvList::instance().append(kTypeBadPicture, kRev, kKiv, QStringLiteral("Bad picture"), bad, {});
    QVERIFY(!brandPicture().isNull());
}

void TestOrvPages::init()
{
    m_rep = std::make_unique<ScopedRecordingReporter>();
    m_sim = std::make_unique<SimDevice>();
}

void TestOrvPages::cleanup()
{
    VERIFY_NO_PENDING_BOXES(*m_rep);
    m_sim.reset();
    m_rep.reset();
}

OrvObject *TestOrvPages::simulatedDevice()
{
    const DeviceInfo info = simulatedDeviceInfo();
    auto *device = new OrvObject(new SimComm(*m_sim), info);
    FamilyParams::registerThermocouple(device->tables(), info.kivType);
    return device;
}

void TestOrvPages::brandHeaderBeforeDevice_data()
{
    QTest::addColumn<bool>("offline");
    addFrameRows("new");
}

void TestOrvPages::brandHeaderBeforeDevice()
{
    QFETCH(bool, offline);
    const Frame f = makeFrame(offline);
    QCOMPARE(f.label("label_DeviceName")->text(), QStringLiteral("Pelm"));
    QCOMPARE(f.label("label_DeviceDescription")->text(), QString());
    QCOMPARE(f.label("label_DeviceTech")->text(), QString());
    // The 64-pixel brand picture is reduced to 50 pixels.
    QCOMPARE(f.image().size(), QSize(50, 50));
    QCOMPARE(f.image(), QPixmap(QLatin1String(OrvFramePage::kBrandPicture))
                            .scaledToHeight(OrvFramePage::kPictureHeightPx, Qt::SmoothTransformation)
                            .toImage());
    QVERIFY(f.container()->layout() == nullptr);
    QVERIFY(!f.button("pushButton_close")->isHidden());
}

void TestOrvPages::formTextsAndContexts()
{
    RecordingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    const Frame connected = makeFrame(false);
    const Frame offline = makeFrame(true);
    QCoreApplication::removeTranslator(&translator);

    const struct
    {
        const Frame *frame;
        const char *context;
        const char *object;
        const char *text;
        const char *icon;
    } buttons[] = {
        {&connected, "WdgOrv", "pushButton_close", "Close", ":/MainWindow/img/close.png"},
        {&connected, "WdgOrv", "pushButton_default", "Default from ORV", ":/MainWindow/img/reload.png"},
        {&connected, "WdgOrv", "pushButton_reload", "Reload from ORV", ":/MainWindow/img/reload.png"},
        {&connected, "WdgOrv", "pushButton_apply", "Apply to ORV", ":/MainWindow/img/save.png"},
        {&offline, "WdgOrvVirtual", "pushButton_close", "Close", ":/MainWindow/img/close.png"},
        {&offline, "WdgOrvVirtual", "pushButton_reload", "Reload from file", ":/MainWindow/img/reload.png"},
        {&offline, "WdgOrvVirtual", "pushButton_save", "Save to file", ":/MainWindow/img/save.png"},
    };
    for (const auto &b : buttons) {
        QPushButton *button = b.frame->button(b.object);
        QVERIFY2(button, b.object);
        QCOMPARE(button->text(), QString::fromLatin1(b.text));
        QVERIFY(QFile::exists(QLatin1String(b.icon)));
        QCOMPARE(button->icon().pixmap(22, 22).toImage(),
                 QIcon(QLatin1String(b.icon)).pixmap(22, 22).toImage());
        QVERIFY2(
            translator.lookups.contains(QLatin1String(b.context) + QLatin1Char('|') + QLatin1String(b.text)),
            b.text);
    }
    // The buttons sit in the button row in this order, after the spacer.
    const QStringList connectedOrder{"pushButton_close", "pushButton_default", "pushButton_reload",
                                     "pushButton_apply"};
    const QStringList offlineOrder{"pushButton_close", "pushButton_reload", "pushButton_save"};
    const std::pair<const Frame *, QStringList> rows[] = {{&connected, connectedOrder},
                                                          {&offline, offlineOrder}};
    for (const auto &row : rows) {
        auto *layout = row.first->child<QHBoxLayout>("horizontalLayout");
        QVERIFY(layout);
        QVERIFY(layout->itemAt(0)->spacerItem());
        QStringList order;
        for (int i = 1; i < layout->count(); ++i)
            order << layout->itemAt(i)->widget()->objectName();
        QCOMPARE(order, row.second);
        QCOMPARE(row.first->widget->windowTitle(), QStringLiteral("Form"));
    }
    for (const char *text : {"NAME-Device", "Device description", "Tech", "label_image"}) {
        QVERIFY2(translator.lookups.contains(QStringLiteral("WdgOrv|") + QLatin1String(text)), text);
        QVERIFY2(translator.lookups.contains(QStringLiteral("WdgOrvVirtual|") + QLatin1String(text)), text);
    }
    QCOMPARE(connected.label("label_DeviceName")->font().pointSize(), 15);
    QVERIFY(connected.label("label_DeviceName")->font().bold());
    QCOMPARE(connected.label("label_DeviceDescription")->font().pointSize(), 12);
    QVERIFY(connected.label("label_DeviceTech")->font().bold());
    QCOMPARE(connected.label("label_DeviceTech")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(connected.label("label_image")->maximumSize(), QSize(90, 90));
}

void TestOrvPages::hostsDevice_data()
{
    QTest::addColumn<bool>("offline");
    addFrameRows("PTC-CT");
}

void TestOrvPages::hostsDevice()
{
    QFETCH(bool, offline);
    const Frame f = makeFrame(offline);
    auto *device = new OrvObject(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv);
    f.setDevice(device);

    QCOMPARE(device->parentWidget(), f.container());
    auto *layout = qobject_cast<QVBoxLayout *>(f.container()->layout());
    QVERIFY(layout);
    QCOMPARE(layout->contentsMargins(), QMargins(0, 0, 0, 0));
    // The device's notes above its editors.
    QCOMPARE(layout->indexOf(device->messageBar()), 0);
    QCOMPARE(layout->indexOf(device), 1);

    QCOMPARE(f.label("label_DeviceName")->text(), QStringLiteral("Pelm-PTC-CT"));
    QCOMPARE(f.label("label_DeviceDescription")->text(),
             QStringLiteral("PTC-CT thermocouple & current sensor"));
    QCOMPARE(f.label("label_DeviceTech")->text(), kTechnology);
    // The 200-pixel product picture is reduced to 50 pixels.
    QCOMPARE(f.image().size(), QSize(50, 50));
    QVERIFY(f.image() != brandPicture().scaledToHeight(50, Qt::SmoothTransformation));

    // The frame shows the device page when it is shown.
    f.widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.widget.get()));
    QVERIFY(device->isVisible());
}

void TestOrvPages::reusesContainerLayout()
{
    const Frame f = makeFrame(false);
    auto *existing = new QVBoxLayout(f.container());
    existing->setContentsMargins(7, 7, 7, 7);
    auto *device = new OrvObject(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv);
    f.setDevice(device);
    QCOMPARE(f.container()->layout(), existing);
    QCOMPARE(existing->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(existing->indexOf(device->messageBar()), 0);
    QCOMPARE(existing->indexOf(device), 1);
}

void TestOrvPages::secondDeviceIgnored_data()
{
    QTest::addColumn<bool>("offline");
    QTest::addColumn<int>("firstMode");
    QTest::addColumn<int>("secondMode");
    QTest::addColumn<bool>("closeShown");
    QTest::newRow("connected, USB then BLE")
        << false << int(WdgOrv::ModeUsb) << int(WdgOrv::ModeBle) << false;
    QTest::newRow("connected, BLE then USB") << false << int(WdgOrv::ModeBle) << int(WdgOrv::ModeUsb) << true;
    QTest::newRow("offline") << true << 0 << 0 << true;
}

void TestOrvPages::secondDeviceIgnored()
{
    QFETCH(bool, offline);
    QFETCH(int, firstMode);
    QFETCH(int, secondMode);
    QFETCH(bool, closeShown);

    std::unique_ptr<QWidget> page;
    std::function<void(OrvObject *, int)> setDevice;
    std::function<OrvObject *()> hosted;
    if (offline) {
        auto *p = new WdgOrvVirtual;
        page.reset(p);
        setDevice = [p](OrvObject *d, int) { p->setDevice(d); };
        hosted = [p] { return p->device(); };
    } else {
        auto *p = new WdgOrv;
        page.reset(p);
        setDevice = [p](OrvObject *d, int mode) { p->setDevice(d, mode); };
        hosted = [p] { return p->device(); };
    }
    auto *first = new OrvObject(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv);
    setDevice(first, firstMode);
    const std::unique_ptr<OrvObject> second(new OrvObject(kTypeNoPicture, kRev, 5));
    setDevice(second.get(), secondMode);

    auto *container = page->findChild<QWidget *>(QStringLiteral("widget_wdgOrv"));
    QCOMPARE(hosted(), first);
    QCOMPARE(first->parentWidget(), container);
    QVERIFY(second->parentWidget() == nullptr);
    QCOMPARE(container->layout()->count(), 2); // the first device and its message bar
    QCOMPARE(page->findChild<QLabel *>(QStringLiteral("label_DeviceName"))->text(),
             QStringLiteral("Pelm-PTC-CT"));
    QCOMPARE(page->findChild<QLabel *>(QStringLiteral("label_DeviceTech"))->text(), kTechnology);
    QCOMPARE(!page->findChild<QPushButton *>(QStringLiteral("pushButton_close"))->isHidden(), closeShown);
}

void TestOrvPages::pictureRule_data()
{
    QTest::addColumn<bool>("offline");
    QTest::addColumn<int>("orvType");
    QTest::addColumn<QSize>("shownSize");
    QTest::addColumn<bool>("brand");
    QTest::addColumn<bool>("smooth");
    for (bool offline : {false, true}) {
        const char *frame = offline ? "offline" : "connected";
        QTest::addRow("%s, 40 px high: unscaled", frame)
            << offline << kType40Px << QSize(30, 40) << false << false;
        QTest::addRow("%s, 50 px high: unscaled", frame)
            << offline << kType50Px << QSize(80, 50) << false << false;
        QTest::addRow("%s, 51 px high: reduced to 50", frame)
            << offline << kType51Px << QSize(100, 50) << false << true;
        QTest::addRow("%s, no picture: brand stays", frame)
            << offline << kTypeNoPicture << QSize(50, 50) << true << true;
        QTest::addRow("%s, unreadable picture: brand stays", frame)
            << offline << kTypeBadPicture << QSize(50, 50) << true << true;
    }
}

void TestOrvPages::pictureRule()
{
    QFETCH(bool, offline);
    QFETCH(int, orvType);
    QFETCH(QSize, shownSize);
    QFETCH(bool, brand);
    QFETCH(bool, smooth);

    const Frame f = makeFrame(offline);
    const QImage before = f.image();
    auto *device = new OrvObject(orvType, kRev, kKiv);
    QCOMPARE(device->picturePath().isEmpty(), orvType == kTypeNoPicture);
    f.setDevice(device);

    const QImage shown = f.image();
    QCOMPARE(shown.size(), shownSize);
    if (brand) {
        QCOMPARE(shown, before);
        return;
    }
    QVERIFY(shown != before);
    // Unscaled pictures keep their black and white rows; the reduction is smooth.
    QCOMPARE(hasGrey(shown), smooth);
    if (!smooth)
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), stripes(shownSize.width(), shownSize.height()));
}

void TestOrvPages::closeVisibility_data()
{
    QTest::addColumn<bool>("offline");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("shown");
    QTest::newRow("connected over BLE") << false << int(WdgOrv::ModeBle) << true;
    QTest::newRow("connected over USB") << false << int(WdgOrv::ModeUsb) << false;
    QTest::newRow("connected, another mode") << false << 2 << true;
    QTest::newRow("offline") << true << 0 << true;
}

void TestOrvPages::closeVisibility()
{
    QFETCH(bool, offline);
    QFETCH(int, mode);
    QFETCH(bool, shown);
    const Frame f = makeFrame(offline, mode);
    f.setDevice(new OrvObject(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv));
    f.widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.widget.get()));
    QCOMPARE(f.button("pushButton_close")->isVisible(), shown);
}

void TestOrvPages::connectedClicksBeforeDevice()
{
    WdgOrv page;
    QSignalSpy closed(&page, &WdgOrv::close);
    // A device object exists, but the page does not host it yet.
    const std::unique_ptr<OrvObject> device(simulatedDevice());
    for (const char *name :
         {"pushButton_default", "pushButton_reload", "pushButton_apply", "pushButton_close"})
        page.findChild<QPushButton *>(QLatin1String(name))->click();
    QCOMPARE(closed.count(), 0);
    QCOMPARE(m_sim->requestCount(), 0);
    QVERIFY(page.device() == nullptr);
}

void TestOrvPages::connectedClicksRunTransactions()
{
    WdgOrv page;
    QSignalSpy closed(&page, &WdgOrv::close);
    OrvObject *device = simulatedDevice();
    page.setDevice(device, WdgOrv::ModeBle);
    auto click = [&page](const char *name) { page.findChild<QPushButton *>(QLatin1String(name))->click(); };

    click("pushButton_reload");
    QCOMPARE(m_sim->actionCount(Protocol::kActLoadConfig), 1);
    QCOMPARE(m_sim->actionCount(Protocol::kActRestoreDefaults), 0);
    QVERIFY(!device->pageParams().isEmpty());

    m_rep->answer(Reporter::No); // the configuration would be lost: asked first
    click("pushButton_default");
    QCOMPARE(m_rep->takeBox().title, QStringLiteral("Default configuration"));
    QCOMPARE(m_sim->actionCount(Protocol::kActRestoreDefaults), 0);
    m_rep->answer(Reporter::Yes);
    click("pushButton_default");
    QCOMPARE(m_rep->takeBox().title, QStringLiteral("Default configuration"));
    QCOMPARE(m_sim->actionCount(Protocol::kActRestoreDefaults), 1);
    QCOMPARE(m_sim->actionCount(Protocol::kActLoadConfig), 2);

    QVERIFY(m_sim->writtenParams().isEmpty());
    OrvParamList edit{OrvParam(31, quint8(2))}; // something to write
    device->paramsToWidgets(edit);
    m_rep->answer(Reporter::Ok);
    click("pushButton_apply");
    QCOMPARE(m_rep->takeBox().title, QStringLiteral("Write to the device?"));
    QVERIFY(!m_sim->writtenParams().isEmpty());
    QCOMPARE(m_sim->clockSets().size(), 1);
    QCOMPARE(m_sim->actionCount(Protocol::kActLoadConfig), 2);

    QCOMPARE(closed.count(), 0);
    click("pushButton_close");
    QCOMPARE(closed.count(), 1);
}

void TestOrvPages::offlineButtonsEmit_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("reloads");
    QTest::addColumn<int>("saves");
    QTest::addColumn<int>("closes");
    QTest::newRow("reload") << "pushButton_reload" << 1 << 0 << 0;
    QTest::newRow("save") << "pushButton_save" << 0 << 1 << 0;
    QTest::newRow("close") << "pushButton_close" << 0 << 0 << 1;
}

void TestOrvPages::offlineButtonsEmit()
{
    QFETCH(QString, button);
    QFETCH(int, reloads);
    QFETCH(int, saves);
    QFETCH(int, closes);
    WdgOrvVirtual page;
    QSignalSpy reload(&page, &WdgOrvVirtual::reload);
    QSignalSpy save(&page, &WdgOrvVirtual::save);
    QSignalSpy close(&page, &WdgOrvVirtual::close);
    auto *pushButton = page.findChild<QPushButton *>(button);

    // Before a device is hosted the buttons do nothing.
    pushButton->click();
    QCOMPARE(reload.count() + save.count() + close.count(), 0);

    page.setDevice(new OrvObject(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv));
    pushButton->click();
    QCOMPARE(reload.count(), reloads);
    QCOMPARE(save.count(), saves);
    QCOMPARE(close.count(), closes);
}

void TestOrvPages::deletedDeviceDisablesButtons_data()
{
    QTest::addColumn<bool>("offline");
    addFrameRows("device deleted");
}

void TestOrvPages::deletedDeviceDisablesButtons()
{
    // The main window deletes the device object when it closes the page; a click that reaches
    // the frame afterwards must not touch it.
    QFETCH(bool, offline);
    const Frame f = makeFrame(offline);
    QSignalSpy closed(f.widget.get(), SIGNAL(close()));
    OrvObject *device = simulatedDevice();
    f.setDevice(device);
    delete device;
    const QList<QPushButton *> buttons = f.widget->findChildren<QPushButton *>();
    QVERIFY(buttons.size() >= 3);
    for (QPushButton *button : buttons)
        button->click();
    QCOMPARE(closed.count(), 0);
    QCOMPARE(m_sim->requestCount(), 0);
    QCOMPARE(f.label("label_DeviceName")->text(), QStringLiteral("Pelm-PTC-CT"));
}

void TestOrvPages::pagesSharePictures()
{
    // A page is built for every plug and every file: its button icons and its header picture
    // are built once for the process. An icon built anew puts new pixmaps into the pixmap cache
    // every time it is drawn; a shared one finds its pixmaps there.
    const Frame connected[] = {makeFrame(false), makeFrame(false)};
    const Frame offline[] = {makeFrame(true), makeFrame(true)};
    const auto sameIcon = [](QPushButton *a, QPushButton *b) {
        QVERIFY(!a->icon().isNull());
        QCOMPARE(a->icon().cacheKey(), b->icon().cacheKey());
        QCOMPARE(a->icon().pixmap(a->iconSize()).cacheKey(), b->icon().pixmap(b->iconSize()).cacheKey());
    };
    for (const char *name :
         {"pushButton_close", "pushButton_default", "pushButton_reload", "pushButton_apply"})
        sameIcon(connected[0].button(name), connected[1].button(name));
    for (const char *name : {"pushButton_close", "pushButton_reload", "pushButton_save"})
        sameIcon(offline[0].button(name), offline[1].button(name));
    // The same picture on both frames is one icon.
    sameIcon(connected[0].button("pushButton_close"), offline[0].button("pushButton_close"));
    sameIcon(connected[0].button("pushButton_default"), offline[0].button("pushButton_reload"));
    sameIcon(connected[0].button("pushButton_apply"), offline[0].button("pushButton_save"));

    const auto headerKey = [](const Frame &f) {
        return f.label("label_image")->pixmap(Qt::ReturnByValue).cacheKey();
    };
    QCOMPARE(headerKey(connected[0]), headerKey(offline[1])); // the brand picture
    connected[0].setDevice(
        new OrvObject(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv));
    offline[1].setDevice(
        new OrvObject(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv));
    QVERIFY(headerKey(connected[0]) != headerKey(connected[1])); // the product picture is shown
    QCOMPARE(headerKey(connected[0]), headerKey(offline[1]));
}

QTEST_MAIN(TestOrvPages)
#include "tst_orvpages.moc"
