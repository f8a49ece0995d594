// The connection page and its offline device picker: the picker's entries, technology and
// version selectors filled from the catalog and from added variants, what Open hands on, the
// page's texts and pictures, and the three choices the page forwards.

#include "app/WdgMain.h"
#include "app/WdgPickOrv.h"
#include "app/WdgPickOrvDevice.h"
#include "device/model/Catalog.h"
#include "links/BleSeam.h"
#include "app/WdgScanBle.h"
#include "support/RecordingReporter.h"
#include "support/RecordingTranslator.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTranslator>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

const QString kPtcCtPicture = QStringLiteral(":/orv/imgs/ptc-ct.png");
const QString kUnknownPicture = QStringLiteral(":/orv/imgs/orv_unknow.png");
const QString kPtcCtLabel = QStringLiteral("PTC-CT thermocouple & current sensor");
const QString kLoraWanSigfox = QStringLiteral("LoraWan/Sigfox (Bidirectional)");
const QString kAtLeast = QString(QChar(0x2265)) + QLatin1Char(' ');

/// A scanner that never finds anything (the connection page embeds the BLE scan).
class IdleAgent : public BleDiscoveryAgent
{
public:
    using BleDiscoveryAgent::BleDiscoveryAgent;
    void setLowEnergyDiscoveryTimeout(int) override {}
    void start(QBluetoothDeviceDiscoveryAgent::DiscoveryMethods) override { m_active = true; }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    QBluetoothDeviceDiscoveryAgent::Error error() const override
    {
        return QBluetoothDeviceDiscoveryAgent::NoError;
    }
    QString errorString() const override { return QString(); }

private:
    bool m_active = false;
};

class IdleBackend : public BleBackend
{
public:
    BleController *createController(const QBluetoothDeviceInfo &, QObject *) override { return nullptr; }
    BleDiscoveryAgent *createDiscoveryAgent(QObject *parent) override { return new IdleAgent(parent); }
};

/// The widgets of one picker entry.
struct Entry
{
    explicit Entry(WdgPickOrvDevice *device) : device(device) {}

    QComboBox *technologies() const
    {
        return device->findChild<QComboBox *>(QStringLiteral("comboBox_technologies"));
    }
    QComboBox *versions() const { return device->findChild<QComboBox *>(QStringLiteral("comboBox_version")); }
    QLabel *label(const char *name) const { return device->findChild<QLabel *>(QLatin1String(name)); }
    QPushButton *open() const
    {
        return device->findChild<QPushButton *>(QStringLiteral("pushButton_OpenOrv"));
    }
    QStringList items(QComboBox *box) const
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    QImage picture() const { return label("label_pixmap")->pixmap(Qt::ReturnByValue).toImage(); }

    WdgPickOrvDevice *device;
};

QImage fitted(const QString &resource)
{
    return QPixmap(resource)
        .scaled(WdgPickOrvDevice::kPictureSizePx, WdgPickOrvDevice::kPictureSizePx, Qt::KeepAspectRatio,
                Qt::SmoothTransformation)
        .toImage();
}

using Pick = QList<QVariant>;
Pick pick(int orvType, int orvRev, int kivType)
{
    return Pick{orvType, orvRev, kivType};
}

} // namespace

class TestConnectionPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void singleCatalogRow();
    void secondRevisionGivesRanges();
    void duplicateRevisionChangesNothing();
    void revisionsReadAsRangesInAnyOrder();
    void anotherModuleTypeAddsTechnology();
    void anotherDeviceTypeAddsEntry();
    void missingPictureShowsUnknownDevice();
    void pickerLayout();
    void mainPageTextsAndPictures();
    void mainPageForwardsChoices();
    // Adds a row to the process-wide catalog: keep it last.
    void catalogRowWithMissingPicture();

private:
    std::unique_ptr<ScopedRecordingReporter> m_rep;
    IdleBackend m_backend;
};

void TestConnectionPage::initTestCase()
{
    setBleBackend(&m_backend);
}

void TestConnectionPage::cleanupTestCase()
{
    setBleBackend(nullptr);
}

void TestConnectionPage::init()
{
    m_rep = std::make_unique<ScopedRecordingReporter>();
}

void TestConnectionPage::cleanup()
{
    VERIFY_NO_PENDING_BOXES(*m_rep);
    m_rep.reset();
}

void TestConnectionPage::singleCatalogRow()
{
    QCOMPARE(OrvList::instance().count(), 1);
    WdgPickOrv picker;
    QSignalSpy picked(&picker, &WdgPickOrv::OnOrvPicked);
    QCOMPARE(picker.devices().size(), 1);
    const Entry e(picker.devices().first());
    QCOMPARE(e.device->orvType(), 28);

    QCOMPARE(e.items(e.technologies()), QStringList{kLoraWanSigfox});
    QCOMPARE(e.technologies()->currentIndex(), 0);
    QCOMPARE(e.items(e.versions()), QStringList{kAtLeast + QStringLiteral("1.0.0")});
    QCOMPARE(e.versions()->currentIndex(), 0);
    QVERIFY(!e.versions()->isEnabled());

    QCOMPARE(e.label("label_orvName")->text(), QStringLiteral("Pelm-PTC-CT"));
    QCOMPARE(e.label("label_orvDescription")->text(), kPtcCtLabel);
    QCOMPARE(e.label("label_ref")->text(), QStringLiteral("Pelm/PTC-CT"));
    QCOMPARE(e.picture(), fitted(kPtcCtPicture));
    QCOMPARE(e.picture().size(), QSize(192, 192));

    e.open()->click();
    QCOMPARE(picked.count(), 1);
    QCOMPARE(picked.takeFirst(), pick(28, 256, 14));
}

void TestConnectionPage::secondRevisionGivesRanges()
{
    WdgPickOrv picker;
    QSignalSpy picked(&picker, &WdgPickOrv::OnOrvPicked);
    picker.addDevice(28, 0x0120, 14, QStringLiteral("PTC-CT with clock"), kUnknownPicture);
    QCOMPARE(picker.devices().size(), 1);
    const Entry e(picker.devices().first());

    QCOMPARE(e.items(e.technologies()), QStringList{kLoraWanSigfox});
    QCOMPARE(e.items(e.versions()), (QStringList{kAtLeast + QStringLiteral("1.0.0 and < 1.2.0"),
                                                 kAtLeast + QStringLiteral("1.2.0")}));
    QVERIFY(e.versions()->isEnabled());
    QCOMPARE(e.versions()->currentIndex(), 1);
    QCOMPARE(e.label("label_orvDescription")->text(), QStringLiteral("PTC-CT with clock"));
    QCOMPARE(e.picture(), fitted(kUnknownPicture));
    e.open()->click();
    QCOMPARE(picked.takeFirst(), pick(28, 0x0120, 14));

    // The first range brings back the first revision's label and picture.
    e.versions()->setCurrentIndex(0);
    QCOMPARE(e.label("label_orvDescription")->text(), kPtcCtLabel);
    QCOMPARE(e.picture(), fitted(kPtcCtPicture));
    QCOMPARE(e.label("label_ref")->text(), QStringLiteral("Pelm/PTC-CT"));
    e.open()->click();
    QCOMPARE(picked.takeFirst(), pick(28, 0x0100, 14));
}

void TestConnectionPage::duplicateRevisionChangesNothing()
{
    WdgPickOrv picker;
    picker.addDevice(28, 0x0120, 14, QStringLiteral("PTC-CT with clock"), kUnknownPicture);
    const Entry e(picker.devices().first());
    e.versions()->setCurrentIndex(0);

    picker.addDevice(28, 0x0120, 14, QStringLiteral("Another label"), kPtcCtPicture);
    picker.addDevice(28, 0x0100, 14, QStringLiteral("Yet another label"), kUnknownPicture);
    QCOMPARE(picker.devices().size(), 1);
    QCOMPARE(e.items(e.versions()), (QStringList{kAtLeast + QStringLiteral("1.0.0 and < 1.2.0"),
                                                 kAtLeast + QStringLiteral("1.2.0")}));
    // The user's choice stays, and so do the labels of both revisions.
    QCOMPARE(e.versions()->currentIndex(), 0);
    QCOMPARE(e.label("label_orvDescription")->text(), kPtcCtLabel);
    e.versions()->setCurrentIndex(1);
    QCOMPARE(e.label("label_orvDescription")->text(), QStringLiteral("PTC-CT with clock"));
    QCOMPARE(e.picture(), fitted(kUnknownPicture));
}

void TestConnectionPage::revisionsReadAsRangesInAnyOrder()
{
    // A revision added below the known ones still gives ranges that follow each other.
    WdgPickOrv picker;
    QSignalSpy picked(&picker, &WdgPickOrv::OnOrvPicked);
    picker.addDevice(28, 0x0210, 14, QStringLiteral("Revision 2.1"), kUnknownPicture);
    picker.addDevice(28, 0x0120, 14, QStringLiteral("Revision 1.2"), kUnknownPicture);
    const Entry e(picker.devices().first());
    QCOMPARE(e.items(e.versions()), (QStringList{kAtLeast + QStringLiteral("1.0.0 and < 1.2.0"),
                                                 kAtLeast + QStringLiteral("1.2.0 and < 2.1.0"),
                                                 kAtLeast + QStringLiteral("2.1.0")}));
    QCOMPARE(e.versions()->currentIndex(), 2);
    QCOMPARE(e.label("label_orvDescription")->text(), QStringLiteral("Revision 2.1"));
    e.versions()->setCurrentIndex(1);
    QCOMPARE(e.label("label_orvDescription")->text(), QStringLiteral("Revision 1.2"));
    e.open()->click();
    QCOMPARE(picked.takeFirst(), pick(28, 0x0120, 14));
}

void TestConnectionPage::anotherModuleTypeAddsTechnology()
{
    WdgPickOrv picker;
    QSignalSpy picked(&picker, &WdgPickOrv::OnOrvPicked);
    picker.addDevice(28, 0x0130, 5, QStringLiteral("PTC-CT LoRaWAN"), kUnknownPicture);
    QCOMPARE(picker.devices().size(), 1);
    const Entry e(picker.devices().first());

    QCOMPARE(e.items(e.technologies()), (QStringList{kLoraWanSigfox, QStringLiteral("LoRaWAN")}));
    // The first technology stays selected, with its own versions.
    QCOMPARE(e.technologies()->currentIndex(), 0);
    QCOMPARE(e.items(e.versions()), QStringList{kAtLeast + QStringLiteral("1.0.0")});
    QCOMPARE(e.label("label_orvDescription")->text(), kPtcCtLabel);

    e.technologies()->setCurrentIndex(1);
    QCOMPARE(e.items(e.versions()), QStringList{kAtLeast + QStringLiteral("1.3.0")});
    QVERIFY(!e.versions()->isEnabled());
    QCOMPARE(e.label("label_orvDescription")->text(), QStringLiteral("PTC-CT LoRaWAN"));
    QCOMPARE(e.picture(), fitted(kUnknownPicture));
    e.open()->click();
    QCOMPARE(picked.takeFirst(), pick(28, 0x0130, 5));

    // A second revision of the second technology: refilling selects the first technology again.
    picker.addDevice(28, 0x0140, 5, QStringLiteral("PTC-CT LoRaWAN 1.4"), kUnknownPicture);
    QCOMPARE(e.technologies()->currentIndex(), 0);
    e.technologies()->setCurrentIndex(1);
    QCOMPARE(e.items(e.versions()), (QStringList{kAtLeast + QStringLiteral("1.3.0 and < 1.4.0"),
                                                 kAtLeast + QStringLiteral("1.4.0")}));
    QVERIFY(e.versions()->isEnabled());
    e.open()->click();
    QCOMPARE(picked.takeFirst(), pick(28, 0x0140, 5));
}

void TestConnectionPage::anotherDeviceTypeAddsEntry()
{
    WdgPickOrv picker;
    QSignalSpy picked(&picker, &WdgPickOrv::OnOrvPicked);
    picker.addDevice(16, 0x0200, 4, QStringLiteral("Level sensor"), kUnknownPicture);
    QCOMPARE(picker.devices().size(), 2);
    QCOMPARE(picker.devices().at(0)->orvType(), 28);
    const Entry e(picker.devices().at(1));
    QCOMPARE(e.device->orvType(), 16);
    QCOMPARE(e.label("label_orvName")->text(), QStringLiteral("Pelm-PLV-D"));
    QCOMPARE(e.label("label_ref")->text(), QStringLiteral("Pelm/PLV-D"));
    QCOMPARE(e.items(e.technologies()), QStringList{QStringLiteral("Sigfox (Bidirectional)")});
    QCOMPARE(e.items(e.versions()), QStringList{kAtLeast + QStringLiteral("2.0.0")});

    // Each entry hands on its own combination.
    e.open()->click();
    Entry(picker.devices().at(0)).open()->click();
    QCOMPARE(picked.count(), 2);
    QCOMPARE(picked.at(0), pick(16, 0x0200, 4));
    QCOMPARE(picked.at(1), pick(28, 0x0100, 14));
}

void TestConnectionPage::missingPictureShowsUnknownDevice()
{
    WdgPickOrv picker;
    picker.addDevice(21, 0x0100, 14, QStringLiteral("No picture yet"),
                     QStringLiteral(":/orv/imgs/missing.png"));
    const Entry e(picker.devices().at(1));
    QVERIFY(!e.picture().isNull());
    QCOMPARE(e.picture(), fitted(kUnknownPicture));
}

void TestConnectionPage::pickerLayout()
{
    RecordingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    WdgPickOrv picker;
    QCoreApplication::removeTranslator(&translator);
    picker.addDevice(16, 0x0200, 4, QStringLiteral("Level sensor"), kUnknownPicture);

    QCOMPARE(picker.objectName(), QStringLiteral("WdgPickOrv"));
    auto *scroll = picker.findChild<QScrollArea *>();
    QVERIFY(scroll);
    QCOMPARE(scroll->frameShape(), QFrame::NoFrame);
    QCOMPARE(scroll->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(scroll->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    auto *list = qobject_cast<QVBoxLayout *>(scroll->widget()->layout());
    QVERIFY(list);
    QCOMPARE(list->spacing(), 5);
    QCOMPARE(list->contentsMargins(), QMargins(0, 0, 0, 0));
    // The entries come first, in the order added.
    QCOMPARE(list->itemAt(0)->widget(), picker.devices().at(0));
    QCOMPARE(list->itemAt(1)->widget(), picker.devices().at(1));
    // The list never scrolls sideways, so the picker is wide enough for its entries.
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QVERIFY(scroll->widget()->width() <= scroll->viewport()->width());
    QVERIFY(picker.devices().at(0)->width() >= picker.devices().at(0)->minimumSizeHint().width());

    const Entry e(picker.devices().first());
    QCOMPARE(e.device->objectName(), QStringLiteral("WdgPickOrvDevice"));
    QCOMPARE(e.open()->text(), QStringLiteral("Open"));
    const QStringList captions = [&e] {
        QStringList texts;
        for (QLabel *label : e.device->findChildren<QLabel *>())
            texts << label->text();
        return texts;
    }();
    for (const char *caption : {"Technologies :", "Version :", "Reference :"})
        QVERIFY2(captions.contains(QLatin1String(caption)), caption);
    for (const char *text :
         {"ORV-Device", "About device", "Ref device", "Technologies :", "Version :", "Reference :", "Open"})
        QVERIFY2(translator.lookups.contains(QStringLiteral("WdgPickOrvDevice|") + QLatin1String(text)),
                 text);
}

void TestConnectionPage::mainPageTextsAndPictures()
{
    RecordingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    WdgMain page;
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(page.objectName(), QStringLiteral("WdgMain"));
    QCOMPARE(page.size(), QSize(823, 280));
    QVERIFY(page.scanBle());
    QCOMPARE(page.scanBle()->objectName(), QStringLiteral("widgetScanBle"));
    QVERIFY(page.pickOrv());
    QCOMPARE(page.pickOrv()->objectName(), QStringLiteral("widgetPickOrv"));
    QCOMPARE(page.pickOrv()->devices().size(), 1);

    const QString help = QStringLiteral(":/MainWindow/img/help_small.png");
    const struct
    {
        const char *text;
        const char *toolTip;
        int pointSize;
    } labels[] = {
        {"<html><head/><body><p><span style=\" font-size:12pt;\">Connect your device  </span><img "
         "src=\":/MainWindow/img/help_small.png\" width=\"18\" height=\"18\"/></p></body></html>",
         "When a device is connected through USB the device configuration page is automatically loaded.\n"
         "In Bluetooth, first connect to a device among detected devices to load the configuration page.",
         12},
        {"<html><head/><body><p>No devices around? <img src=\":/MainWindow/img/help_small.png\" width=\"18\" "
         "height=\"18\"/></p></body></html>",
         "Offline mode allows to create and save configurations files to load in your device fleet \n"
         "or create downlink frames to configure your device remotely.",
         12},
        {"<html><head/><body><p><span style=\" font-size:9pt;\">Select a device in the right list<br/>to "
         "start "
         "offline mode</span></p></body></html>",
         "", -1},
        {"        OR        ", "", 10},
    };
    const QList<QLabel *> pageLabels = page.findChildren<QLabel *>();
    for (const auto &l : labels) {
        const QString text = QString::fromUtf8(l.text);
        auto found = std::find_if(pageLabels.begin(), pageLabels.end(),
                                  [&text](const QLabel *label) { return label->text() == text; });
        QVERIFY2(found != pageLabels.end(), l.text);
        QCOMPARE((*found)->toolTip(), QString::fromUtf8(l.toolTip));
        if (l.pointSize > 0)
            QCOMPARE((*found)->font().pointSize(), l.pointSize);
        QVERIFY2(translator.lookups.contains(QStringLiteral("WdgMain|") + text), l.text);
    }
    QVERIFY(QFile::exists(help));

    // The logo fits 150 x 150, the USB and BLE pictures 50 x 50, smoothly and keeping their shape.
    const struct
    {
        const char *resource;
        int size;
    } pictures[] = {
        {WdgMain::kLogo, 150},
        {WdgMain::kUsbPicture, 50},
        {WdgMain::kBlePicture, 50},
    };
    for (const auto &p : pictures) {
        const QPixmap source(QLatin1String(p.resource));
        QVERIFY2(!source.isNull(), p.resource);
        const QImage expected =
            source.scaled(p.size, p.size, Qt::KeepAspectRatio, Qt::SmoothTransformation).toImage();
        bool shown = false;
        for (const QLabel *label : pageLabels)
            shown = shown || label->pixmap(Qt::ReturnByValue).toImage() == expected;
        QVERIFY2(shown, p.resource);
    }
    const QImage chevron = QPixmap(QStringLiteral(":/MainWindow/img/chevron-right.png")).toImage();
    QVERIFY(!chevron.isNull());
    QVERIFY(std::any_of(pageLabels.begin(), pageLabels.end(), [&chevron](const QLabel *label) {
        return label->pixmap(Qt::ReturnByValue).toImage() == chevron;
    }));
    // The line between the two columns.
    const QList<QFrame *> frames = page.findChildren<QFrame *>(QStringLiteral("line"));
    QVERIFY(std::any_of(frames.begin(), frames.end(), [&page](const QFrame *f) {
        return f->parentWidget() == &page && f->frameShape() == QFrame::VLine &&
               f->frameShadow() == QFrame::Sunken;
    }));
}

void TestConnectionPage::mainPageForwardsChoices()
{
    WdgMain page;
    QSignalSpy orv(&page, &WdgMain::OnOrvPicked);
    QSignalSpy orvBle(&page, &WdgMain::OnOrvBlePicked);
    QSignalSpy kivBle(&page, &WdgMain::OnKivBlePicked);

    Entry(page.pickOrv()->devices().first()).open()->click();
    QCOMPARE(orv.count(), 1);
    QCOMPARE(orv.takeFirst(), pick(28, 256, 14));

    emit page.scanBle()->OnOrvBlePicked(QStringLiteral("00:11:22:33:44:55"));
    QCOMPARE(orvBle.count(), 1);
    QCOMPARE(orvBle.takeFirst().at(0).toString(), QStringLiteral("00:11:22:33:44:55"));
    QCOMPARE(kivBle.count(), 0);

    emit page.scanBle()->OnKivBlePicked(QStringLiteral("66:77:88:99:AA:BB"));
    QCOMPARE(kivBle.count(), 1);
    QCOMPARE(kivBle.takeFirst().at(0).toString(), QStringLiteral("66:77:88:99:AA:BB"));
    QCOMPARE(orvBle.count(), 0);
    QCOMPARE(orv.count(), 0);
}

void TestConnectionPage::catalogRowWithMissingPicture()
{
    OrvList::instance().append(21, 0x0100, 14, QStringLiteral("Humidity sensor"),
                               QStringLiteral(":/orv/imgs/no-such-product.png"), QString());
    WdgPickOrv picker;
    QCOMPARE(picker.devices().size(), 2);
    const Entry e(picker.devices().at(1));
    QCOMPARE(e.device->orvType(), 21);
    QCOMPARE(e.label("label_orvDescription")->text(), QStringLiteral("Humidity sensor"));
    QCOMPARE(e.picture(), fitted(kUnknownPicture));
}

QTEST_MAIN(TestConnectionPage)
#include "tst_connectionpage.moc"
