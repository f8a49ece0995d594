// The frames builder: parameters moved into frames and back, re-packing, deleting, the menus and
// shortcuts of the frame view, frame text through the clipboard and as a QR Code image, the two
// dialogs, and the device object's export and import flows.

#include "tools/DeviceTools.h"
#include "gui/FileDialogs.h"
#include "app/MainWindow.h"
#include "device/family/FamilyParams.h"
#include "editors/OrvObject.h"
#include "editors/InputWidgets.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/RecordingReporter.h"
#include "support/Records.h"
#include "tools/DlgMakeFrames.h"
#include "tools/WdgMakeFrames.h"
#include "tools/WdgTreeViewFrame.h"
#include "tools/WdgTreeViewParams.h"

#include <ZXing/ReadBarcode.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr quint8 kBufferId = 10;

using namespace Records;

QByteArray counting(int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char(quint8(0xA0 + i)));
    return b;
}

QString zxingText(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::Result r = ZXing::ReadBarcode(ZXing::ImageView(
        grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, int(grey.bytesPerLine())));
    return r.isValid() ? QString::fromStdString(r.text()) : QStringLiteral("<no symbol>");
}

/// Runs f on the frames dialog once it is shown modally; closes any dialog f left open so a
/// failing check can't hang the test.
void whenDialogShown(std::function<void(DlgMakeFrames *)> f)
{
    QTimer::singleShot(0, [f] {
        auto *dialog = qobject_cast<DlgMakeFrames *>(QApplication::activeModalWidget());
        f(dialog);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *d = qobject_cast<DlgMakeFrames *>(w); d && d->isVisible())
                d->reject();
        }
    });
}

/// Runs f on the pop-up menu once it is open, then closes it.
void whenMenuShown(std::function<void(QMenu *)> f)
{
    QTimer::singleShot(0, [f] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        f(menu);
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    });
}

QStringList actionTexts(const QMenu *menu)
{
    QStringList out;
    if (!menu)
        return out;
    for (const QAction *a : menu->actions()) {
        if (a->isVisible())
            out.append(a->isSeparator() ? QStringLiteral("--") : a->text());
    }
    return out;
}

} // namespace

class TestFramesBuilder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void packingExample();
    void addingNothingSelectedChangesNothing();
    void unpackableParameterStaysInTheParameterView();
    void removedBufferChunksJoinBack();
    void addingOneOfTwoChunksMovesThatChunk();
    void removeAllFrames_data();
    void removeAllFrames();
    void repackAfterPayloadChange();
    void repackToSmallerPayloadReturnsTooLargeParameters();
    void expandAndCollapse();

    void exportToClipboard();
    void importFromClipboard();
    void importRaisesPayloadAndReportsEachInvalidLine();
    void shortcutsWithoutOpeningTheMenu();
    void importShortcutOnlyInImportMode();
    void frameViewMenuEnablesBySelection();
    void parameterViewMenu();
    void exportAndImportButtonMenus();

    void qrCodeOfTheSelection();
    void qrCodeFailures_data();
    void qrCodeFailures();

    void dialogs();
    void deviceExportShowsThePageValues_data();
    void deviceExportShowsThePageValues();
    void deviceImportMergesIntoThePage();
    void deviceImportCancelledChangesNothing();
    void deviceImportWithUnknownParameter();
    void deviceImportWithMissingChunks_data();
    void deviceImportWithMissingChunks();
    void exportThenImportOnTheDevicePage();
    void pageClosedWhileTheDialogIsOpen();

private:
    /// A builder in export mode holding params, payload 8.
    void makeBuilder(const OrvParamList &params, int payload = 8);
    template <typename T> T *child(const char *name) const
    {
        T *w = m_builder->findChild<T *>(QLatin1String(name));
        if (!w)
            qWarning() << "no child" << name;
        return w;
    }
    WdgTreeViewParams *paramView() const { return child<WdgTreeViewParams>("widget_TreeViewParams"); }
    WdgTreeViewFrame *frameView() const { return child<WdgTreeViewFrame>("widget_TreeViewFrames"); }
    spinboxQuor *payloadBox() const { return child<spinboxQuor>("spinBox_maxLoad"); }
    QString counter() const { return child<QLabel>("label_counterFrames")->text(); }
    void click(const char *button) { QTest::mouseClick(child<QToolButton>(button), Qt::LeftButton); }
    void selectParamRows(const QList<int> &rows);
    void selectFrameRows(const QList<int> &rows);
    QStringList frameHex() const { return hexOf(frameView()->frames()); }
    /// Moves every parameter into frames.
    void packAll();

    ScopedRecordingReporter m_rep;
    std::unique_ptr<ScriptedFileDialogs> m_dialogs;
    std::unique_ptr<WdgMakeFrames> m_builder;
    QMap<quint8, QString> m_names;
    QMap<quint8, bool> m_flags;
    QTemporaryDir m_dir;
};

void TestFramesBuilder::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
    m_names = {{5, "Five"}, {6, "Six"}, {7, "Seven"}, {8, "Eight"}, {kBufferId, "Buffer"}};
    m_flags = {{kBufferId, true}, {5, false}};
}

void TestFramesBuilder::init()
{
    m_dialogs.reset(new ScriptedFileDialogs);
    QGuiApplication::clipboard()->clear();
    m_rep.clear();
}

void TestFramesBuilder::cleanup()
{
    m_builder.reset();
    m_dialogs.reset();
    RecordingReporter left = m_rep; // a failed case must not leave its boxes to the next
    m_rep.clear();
    VERIFY_NO_PENDING_BOXES(left);
}

void TestFramesBuilder::makeBuilder(const OrvParamList &params, int payload)
{
    m_builder.reset(new WdgMakeFrames);
    m_builder->setParams(params);
    m_builder->setNames(m_names);
    m_builder->setBufferFlags(m_flags);
    m_builder->setMaxPayload(payload);
    m_builder->setExportMode();
    m_builder->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_builder.get()));
}

void TestFramesBuilder::selectParamRows(const QList<int> &rows)
{
    WdgTreeViewParams *view = paramView();
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TestFramesBuilder::selectFrameRows(const QList<int> &rows)
{
    WdgTreeViewFrame *view = frameView();
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TestFramesBuilder::packAll()
{
    paramView()->selectAll();
    click("toolButton_addToViewFrames");
}

// --- moving parameters and frames -----------------------------------------------------------

void TestFramesBuilder::packingExample()
{
    // elements of 2, 3, 5 and 2 bytes with 8 bytes per frame: the 5-byte element does not fit
    // behind the first two and is passed over; the last one fills the first frame
    makeBuilder(recs({"5:AA", "6:BBCC", "7:01020304", "8:DD"}));
    QCOMPARE(counter(), QStringLiteral("Counter frames: 0"));
    packAll();
    QCOMPARE(frameHex(), (QStringList{"05AA46BBCC08DD", "8701020304"}));
    QCOMPARE(counter(), QStringLiteral("Counter frames: 2"));
    QVERIFY(paramView()->params().isEmpty());
    QCOMPARE(paramView()->model()->rowCount(), 0);

    // a frame row, and its elements as children (expanded: the expand button starts checked)
    const QAbstractItemModel *m = frameView()->model();
    const QModelIndex first = m->index(0, 0);
    QCOMPARE(first.data().toString(), QStringLiteral("05AA46BBCC08DD"));
    QCOMPARE(m->rowCount(first), 3);
    QCOMPARE(m->index(1, 1, first).data().toString(), QStringLiteral("6 - Six"));
    QCOMPARE(m->index(1, 2, first).data().toString(), QStringLiteral("BBCC"));
    QVERIFY(frameView()->isExpanded(first));
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Frames"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Parameter"));
    QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Value"));
}

void TestFramesBuilder::addingNothingSelectedChangesNothing()
{
    makeBuilder(recs({"5:AA", "6:BBCC"}));
    click("toolButton_addToViewFrames");
    QVERIFY(frameView()->frames().isEmpty());
    QCOMPARE(paramView()->params().size(), 2);
    click("toolButton_removeFromViewFrames");
    QCOMPARE(paramView()->params().size(), 2);
    QCOMPARE(counter(), QStringLiteral("Counter frames: 0"));
}

void TestFramesBuilder::unpackableParameterStaysInTheParameterView()
{
    // 9 value bytes need 11 bytes: never in a frame of 8; the selected one beside it moves
    makeBuilder(recs({"5:AA", "6:010203040506070809"}));
    packAll();
    QCOMPARE(frameHex(), QStringList{"05AA"});
    QCOMPARE(describe(paramView()->params()), QStringList{"6:010203040506070809"});
}

void TestFramesBuilder::removedBufferChunksJoinBack()
{
    // a 15-byte buffer in frames of 8 bytes: three chunks of 5 bytes
    const QByteArray value = counting(15);
    makeBuilder({OrvParam(kBufferId, value, 0), rec("5:01")});
    packAll();
    QCOMPARE(frameHex(), (QStringList{"CA0600A0A1A2A3A4", "CA0605A5A6A7A8A9", "CA060AAAABACADAE", "0501"}));
    // the buffer chunk shows its index
    const QAbstractItemModel *m = frameView()->model();
    QCOMPARE(m->index(0, 2, m->index(1, 0)).data().toString(), QStringLiteral("[5] A5A6A7A8A9"));
    QCOMPARE(m->index(0, 1, m->index(1, 0)).data().toString(), QStringLiteral("10 - Buffer"));

    // removing the second frame returns its chunk as a record of its own
    selectFrameRows({1});
    click("toolButton_removeFromViewFrames");
    QCOMPARE(describe(paramView()->params()), QStringList{"10@5:A5A6A7A8A9"});
    QCOMPARE(paramView()->model()->index(0, 0).data().toString(), QStringLiteral("10 - Buffer"));
    QCOMPARE(paramView()->model()->index(0, 1).data().toString(), QStringLiteral("[5] A5A6A7A8A9"));
    QCOMPARE(counter(), QStringLiteral("Counter frames: 3"));

    // removing the two other chunks joins all three into one record from index 0
    selectFrameRows({0, 1});
    click("toolButton_removeFromViewFrames");
    QCOMPARE(describe(paramView()->params()),
             QStringList{"10@0:" + QString::fromLatin1(value.toHex().toUpper())});
    QCOMPARE(frameHex(), QStringList{"0501"});
    QCOMPARE(counter(), QStringLiteral("Counter frames: 1"));

    // and the joined buffer packs into the same frames again
    selectParamRows({0});
    click("toolButton_addToViewFrames");
    QCOMPARE(frameHex(), (QStringList{"0501", "CA0600A0A1A2A3A4", "CA0605A5A6A7A8A9", "CA060AAAABACADAE"}));
}

void TestFramesBuilder::addingOneOfTwoChunksMovesThatChunk()
{
    // chunks 0 and 2 of a buffer back in the parameter view, with a gap between them
    makeBuilder({OrvParam(kBufferId, counting(15), 0)});
    packAll();
    selectFrameRows({0, 2});
    click("toolButton_removeFromViewFrames");
    QCOMPARE(describe(paramView()->params()), (QStringList{"10@0:A0A1A2A3A4", "10@10:AAABACADAE"}));

    // moving the second one into a frame leaves the first one where it is
    selectParamRows({1});
    click("toolButton_addToViewFrames");
    QCOMPARE(describe(paramView()->params()), QStringList{"10@0:A0A1A2A3A4"});
    QCOMPARE(frameHex(), (QStringList{"CA0605A5A6A7A8A9", "CA060AAAABACADAE"}));
}

void TestFramesBuilder::removeAllFrames_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("framesAfter");
    QTest::addColumn<int>("paramsAfter");
    QTest::newRow("yes") << int(Reporter::Yes) << QStringList() << 3;
    QTest::newRow("no") << int(Reporter::No) << QStringList{"05AA08DD"} << 1;
}

void TestFramesBuilder::removeAllFrames()
{
    QFETCH(int, answer);
    QFETCH(QStringList, framesAfter);
    QFETCH(int, paramsAfter);
    makeBuilder(recs({"5:AA", "6:BBCC", "8:DD"}));
    selectParamRows({0, 2});
    click("toolButton_addToViewFrames");
    QCOMPARE(paramView()->params().size(), 1);

    m_rep.answer(answer);
    click("toolButton_clean");
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Delete all frames"));
    QCOMPARE(box.text, QStringLiteral("Are you sure to delete all frames ?"));
    QCOMPARE(box.buttons, int(Reporter::Yes | Reporter::No));
    QCOMPARE(frameHex(), framesAfter);
    QCOMPARE(paramView()->params().size(), paramsAfter);
    QCOMPARE(counter(), QStringLiteral("Counter frames: %1").arg(framesAfter.size()));

    // with no frame there is no question; the parameter view gets the full list again
    if (framesAfter.isEmpty()) {
        paramView()->removeParams(recs({"6:BBCC"}));
        click("toolButton_clean");
        QCOMPARE(describe(paramView()->params()), (QStringList{"5:AA", "6:BBCC", "8:DD"}));
    }
}

void TestFramesBuilder::repackAfterPayloadChange()
{
    const OrvParamList params = {rec("5:AA"), rec("6:BBCC"), rec("7:01020304"), rec("8:DD"),
                                 OrvParam(kBufferId, counting(15), 0)};
    makeBuilder(params);
    packAll();
    const QStringList firstPacking = frameHex();
    QCOMPARE(firstPacking, (QStringList{"05AA46BBCC08DD", "87010203044A00A0", "CA0601A1A2A3A4A5",
                                        "CA0606A6A7A8A9AA", "CA050BABACADAE"}));

    // the payload box alone does not re-pack
    payloadBox()->setValue(51);
    QCOMPARE(frameHex().size(), 5);

    click("toolButton_reMakeFrames");
    // the frames' parameters in frame order: 8 now comes before 7
    QCOMPARE(frameHex(), QStringList{"05AA46BBCC08DD8701020304CA10"
                                     "00A0A1A2A3A4A5A6A7A8A9AAABACADAE"});
    QCOMPARE(counter(), QStringLiteral("Counter frames: 1"));
    QVERIFY(paramView()->params().isEmpty());

    // and back to 8 bytes: the same frames as the first packing
    payloadBox()->setValue(8);
    click("toolButton_reMakeFrames");
    QCOMPARE(frameHex(), firstPacking);
    QVERIFY(m_rep.boxes.isEmpty()); // re-packing asks nothing
}

void TestFramesBuilder::repackToSmallerPayloadReturnsTooLargeParameters()
{
    makeBuilder(recs({"5:AA", "6:0102030405060708090A"}), 51);
    packAll();
    QCOMPARE(frameHex(), QStringList{"05AAC60A0102030405060708090A"});
    payloadBox()->setValue(8);
    click("toolButton_reMakeFrames");
    QCOMPARE(frameHex(), QStringList{"05AA"});
    QCOMPARE(describe(paramView()->params()), QStringList{"6:0102030405060708090A"});
}

void TestFramesBuilder::expandAndCollapse()
{
    makeBuilder(recs({"5:AA", "7:01020304", "8:DD"}));
    auto *expand = child<QToolButton>("toolButton_expand");
    QVERIFY(expand->isChecked());
    selectParamRows({0});
    click("toolButton_addToViewFrames");
    const QModelIndex first = frameView()->model()->index(0, 0);
    QVERIFY(frameView()->isExpanded(first));

    click("toolButton_collapse");
    QVERIFY(!expand->isChecked());
    QVERIFY(!frameView()->isExpanded(first));
    // frames added while unchecked stay collapsed
    packAll();
    QCOMPARE(frameView()->frameCount(), 2);
    QVERIFY(!frameView()->isExpanded(frameView()->model()->index(1, 0)));

    click("toolButton_expand");
    QVERIFY(expand->isChecked());
    QVERIFY(frameView()->isExpanded(frameView()->model()->index(0, 0)));
    QVERIFY(frameView()->isExpanded(frameView()->model()->index(1, 0)));
}

// --- frame text ----------------------------------------------------------------------------------

void TestFramesBuilder::exportToClipboard()
{
    makeBuilder(recs({"5:AA", "6:BBCC", "7:01020304", "8:DD"}));
    packAll();
    QCOMPARE(frameHex(), (QStringList{"05AA46BBCC08DD", "8701020304"}));
    selectFrameRows({1});
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onExportSelectedFramesToClipboard"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("8701020304"));
    frameView()->clearSelection();
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onExportAllFramesToClipboard"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("05AA46BBCC08DD\r\n8701020304"));
    // nothing selected: the empty text
    frameView()->clearSelection();
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onExportSelectedFramesToClipboard"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
}

void TestFramesBuilder::importFromClipboard()
{
    makeBuilder({});
    m_builder->setImportMode();
    // the export text of two frames comes back as the same two frames, also with a CR LF
    // after the last one
    QGuiApplication::clipboard()->setText(QStringLiteral("05aa46BBCC08DD\r\n8701020304\r\n"));
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onImportFramesFromClipboard"));
    QCOMPARE(frameHex(), (QStringList{"05AA46BBCC08DD", "8701020304"}));
    QCOMPARE(counter(), QStringLiteral("Counter frames: 2"));
    QCOMPARE(m_builder->frames().size(), 2);
    QCOMPARE(frameView()->model()->index(0, 0).data().toString(), QStringLiteral("05AA46BBCC08DD"));
}

void TestFramesBuilder::importRaisesPayloadAndReportsEachInvalidLine()
{
    makeBuilder({});
    m_builder->setImportMode();
    QByteArray forty = QByteArray::fromHex("C726") + counting(38); // one element of 40 bytes
    const QString fortyHex = QString::fromLatin1(forty.toHex());
    QGuiApplication::clipboard()->setText(QStringLiteral("0501\r\n05\r\n\r\n") + fortyHex +
                                          QStringLiteral("\r\nC505010203\n45 01 02\r\n"));
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onImportFramesFromClipboard"));

    // one information box per invalid line, the valid lines imported in order
    QStringList texts;
    while (m_rep.hasBoxes()) {
        const Reporter::Box b = m_rep.takeBox();
        QCOMPARE(b.title, QStringLiteral("Invalid frames"));
        QCOMPARE(int(b.icon), int(Reporter::Information));
        QCOMPARE(b.buttons, int(Reporter::Ok));
        texts.append(b.text);
    }
    QCOMPARE(texts, (QStringList{"The frame: '05' is invalid !", "The frame: '' is invalid !",
                                 "The frame: 'C505010203' is invalid !"}));
    QCOMPARE(frameHex(), (QStringList{"0501", fortyHex.toUpper(), "450102"}));
    // the hidden payload box keeps the size of the largest frame
    QVERIFY(payloadBox()->isHidden());
    QCOMPARE(payloadBox()->value(), 40);
}

void TestFramesBuilder::shortcutsWithoutOpeningTheMenu()
{
    makeBuilder(recs({"5:AA", "6:BBCC", "7:01020304", "8:DD"}));
    packAll();
    WdgTreeViewFrame *view = frameView();
    m_builder->activateWindow();
    view->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(m_builder.get()));
    QTRY_VERIFY(view->hasFocus());

    selectFrameRows({1});
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("8701020304"));

    QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(frameHex(), QStringList{"05AA46BBCC08DD"});
    QCOMPARE(describe(paramView()->params()), QStringList{"7:01020304"});

    m_rep.answer(Reporter::Yes);
    QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Delete all frames"));
    QVERIFY(frameHex().isEmpty());
    QCOMPARE(paramView()->params().size(), 4);
}

void TestFramesBuilder::importShortcutOnlyInImportMode()
{
    makeBuilder({});
    WdgTreeViewFrame *view = frameView();
    m_builder->activateWindow();
    view->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(m_builder.get()));
    QGuiApplication::clipboard()->setText(QStringLiteral("0501"));
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier); // export mode: no import
    QVERIFY(frameHex().isEmpty());

    m_builder->setImportMode();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(frameHex(), QStringList{"0501"});
    // and the export shortcut is gone in import mode
    selectFrameRows({0});
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QGuiApplication::clipboard()->text() != QStringLiteral("0501"));
}

void TestFramesBuilder::frameViewMenuEnablesBySelection()
{
    makeBuilder(recs({"5:AA", "7:01020304", "8:DD"}));
    WdgTreeViewFrame *view = frameView();
    QStringList texts;
    QList<bool> enabledInMenu;
    auto inspect = [&](QMenu *menu) {
        texts = actionTexts(menu);
        enabledInMenu = {view->importAction()->isEnabled(), view->exportSelectedAction()->isEnabled(),
                         view->exportAllAction()->isEnabled(), view->removeSelectedAction()->isEnabled(),
                         view->removeAllAction()->isEnabled()};
    };

    // empty view
    whenMenuShown(inspect);
    view->onCustomContextMenuRequested(QPoint(5, 5));
    // the import action is hidden in export mode
    QCOMPARE(texts, (QStringList{"Export selected frames to clipboard", "Export all frames to clipboard",
                                 "--", "Remove selected frames", "Remove all frames"}));
    // (a hidden action is disabled as well: the import action in export mode)
    QCOMPARE(enabledInMenu, (QList<bool>{false, false, false, false, true}));
    for (QAction *a : {view->exportSelectedAction(), view->exportAllAction(), view->removeSelectedAction()})
        QVERIFY(a->isEnabled()); // enabled again afterwards

    packAll();
    frameView()->clearSelection();
    whenMenuShown(inspect);
    view->onCustomContextMenuRequested(QPoint(5, 5));
    QCOMPARE(enabledInMenu, (QList<bool>{false, false, true, false, true}));

    selectFrameRows({0});
    whenMenuShown(inspect);
    view->onCustomContextMenuRequested(QPoint(5, 5));
    QCOMPARE(enabledInMenu, (QList<bool>{false, true, true, true, true}));

    QCOMPARE(view->importAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
    QCOMPARE(view->exportSelectedAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QCOMPARE(view->removeSelectedAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
    QCOMPARE(view->removeAllAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+D")));
    QVERIFY(view->exportAllAction()->shortcut().isEmpty());
}

void TestFramesBuilder::parameterViewMenu()
{
    makeBuilder(recs({"5:AA", "6:BBCC"}));
    WdgTreeViewParams *view = paramView();
    QStringList texts;
    QList<bool> enabled;
    auto inspect = [&](QMenu *menu) {
        texts = actionTexts(menu);
        enabled = {view->addSelectedAction()->isEnabled(), view->addAllAction()->isEnabled()};
    };
    const QPoint onRow = view->visualRect(view->model()->index(0, 0)).center();
    whenMenuShown(inspect);
    view->onCustomContextMenuRequested(onRow);
    QCOMPARE(texts, (QStringList{"Add selected parameters to frames", "Add all parameters to frames"}));
    QCOMPARE(enabled, (QList<bool>{true, true}));

    whenMenuShown(inspect);
    view->onCustomContextMenuRequested(QPoint(5, view->viewport()->height() - 2)); // below the rows
    QCOMPARE(enabled, (QList<bool>{false, true}));
    QVERIFY(view->addSelectedAction()->isEnabled());

    // "Add all parameters to frames" selects every row first
    view->addAllAction()->trigger();
    QCOMPARE(frameHex(), QStringList{"05AA46BBCC"});
    QVERIFY(view->params().isEmpty());
    whenMenuShown(inspect);
    view->onCustomContextMenuRequested(QPoint(5, 5));
    QCOMPARE(enabled, (QList<bool>{false, false}));
}

void TestFramesBuilder::exportAndImportButtonMenus()
{
    makeBuilder(recs({"5:AA"}));
    QStringList texts;
    whenMenuShown([&](QMenu *menu) { texts = actionTexts(menu); });
    click("toolButton_export");
    QCOMPARE(texts, (QStringList{"Export selected frames to clipboard", "Export selected frames as QR Code",
                                 "Export all frames to clipboard", "Export all frames as QR Code"}));

    // choosing a menu entry runs it
    packAll();
    whenMenuShown([&](QMenu *menu) {
        if (menu)
            menu->actions().at(2)->trigger();
    });
    click("toolButton_export");
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("05AA"));

    m_builder->setImportMode();
    texts.clear();
    whenMenuShown([&](QMenu *menu) { texts = actionTexts(menu); });
    click("toolButton_import");
    QCOMPARE(texts, QStringList{"Import frames from clipboard"});
}

// --- QR Code -------------------------------------------------------------------------------------

void TestFramesBuilder::qrCodeOfTheSelection()
{
    makeBuilder(
        {rec("5:AA"), rec("6:BBCC"), rec("7:01020304"), rec("8:DD"), OrvParam(kBufferId, counting(12), 0)});
    packAll();
    const QString path = m_dir.filePath(QStringLiteral("frames.png"));
    m_dialogs->setNextFileName(path);
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onExportAllFramesToQrCode"));
    QCOMPARE(m_dialogs->requests.size(), 1);
    QCOMPARE(m_dialogs->requests.first().save, true);
    QCOMPARE(m_dialogs->requests.first().caption, QStringLiteral("Save Qr Image"));
    QCOMPARE(m_dialogs->requests.first().dir, QStringLiteral("qr_code.png"));
    QCOMPARE(m_dialogs->requests.first().filter, QStringLiteral("Images (*.png)"));

    const QString text = exportText(frameView()->frames());
    QVERIFY(text.count(QStringLiteral("\r\n")) >= 3);
    const QImage image(path);
    QCOMPARE(image.size(), QSize(350, 350));
    QCOMPARE(zxingText(image), text);
    if (!QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty()) {
        QProcess zbar;
        zbar.start(QStringLiteral("zbarimg"), {"--nodbus", "--raw", "-q", path});
        QVERIFY(zbar.waitForFinished(20000));
        QCOMPARE(QString::fromLatin1(zbar.readAllStandardOutput()), text + QLatin1Char('\n'));
    }

    // only the selected frames
    selectFrameRows({1});
    m_dialogs->setNextFileName(path);
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onExportSelectedFramesToQrCode"));
    QCOMPARE(zxingText(QImage(path)), frameHex().at(1));

    // a cancelled save dialog ends silently
    QFile::remove(path);
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onExportSelectedFramesToQrCode"));
    QVERIFY(!QFile::exists(path));
}

void TestFramesBuilder::qrCodeFailures_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("asksForName");
    QTest::addColumn<QString>("reason");
    QByteArray big = QByteArray::fromHex("C7FF") + QByteArray(255, '\x11'); // 257 bytes a frame
    QString twelve;
    for (int i = 0; i < 12; ++i)
        twelve += QString::fromLatin1(big.toHex()) + QStringLiteral("\r\n");
    QTest::newRow("unwritable file") << "0501"
                                     << "/nonexistent-folder/qr.png" << true << QString();
    QTest::newRow("too long for one symbol")
        << twelve << "qr.png" << false
        << "The text of the frames (6190 characters) is too long for one QR Code.";
    QTest::newRow("nothing selected")
        << QString() << "qr.png" << false << "There is no frame to put into a QR Code.";
}

void TestFramesBuilder::qrCodeFailures()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, path);
    QFETCH(bool, asksForName);
    QFETCH(QString, reason);
    makeBuilder({});
    m_builder->setImportMode();
    QGuiApplication::clipboard()->setText(clipboard);
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onImportFramesFromClipboard"));
    const QString target = path.startsWith(QLatin1Char('/')) ? path : m_dir.filePath(path);
    m_dialogs->setNextFileName(target);
    QVERIFY(QMetaObject::invokeMethod(m_builder.get(), "onExportAllFramesToQrCode"));

    QCOMPARE(m_dialogs->requests.size(), asksForName ? 1 : 0);
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.text, QStringLiteral("Couldn't save QR Code image."));
    QCOMPARE(box.informativeText, reason);
    QCOMPARE(box.buttons, int(Reporter::Ok));
    QCOMPARE(box.parent, m_builder.get());
    QVERIFY(!QFile::exists(target));
}

// --- dialogs and device flows ----------------------------------------------------------------------

void TestFramesBuilder::dialogs()
{
    {
        DlgMakeFrames dialog(nullptr, m_names, m_flags);
        QCOMPARE(dialog.objectName(), QStringLiteral("DlgMakeFrames"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Import frames"));
        auto *box = dialog.findChild<QDialogButtonBox *>("buttonBox");
        QCOMPARE(box->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        dialog.show();
        QVERIFY(dialog.findChild<QWidget *>("widget_ViewParams")->isHidden());
        QVERIFY(dialog.findChild<QWidget *>("toolButton_export")->isHidden());
        QVERIFY(dialog.findChild<QWidget *>("spinBox_maxLoad")->isHidden());
        QVERIFY(dialog.findChild<QWidget *>("toolButton_reMakeFrames")->isHidden());
        QVERIFY(dialog.findChild<QWidget *>("toolButton_import")->isVisible());
        QGuiApplication::clipboard()->setText(QStringLiteral("0501\r\n4601FF"));
        QVERIFY(QMetaObject::invokeMethod(dialog.builder(), "onImportFramesFromClipboard"));
        QCOMPARE(hexOf(dialog.frames()), (QStringList{"0501", "4601FF"}));
        box->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    {
        DlgMakeFrames dialog(nullptr, recs({"5:AA", "6:BBCC"}), m_names, m_flags, 3);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Export frames"));
        auto *box = dialog.findChild<QDialogButtonBox *>("buttonBox");
        QCOMPARE(box->standardButtons(), QDialogButtonBox::Close);
        dialog.show();
        QVERIFY(dialog.findChild<QWidget *>("widget_ViewParams")->isVisible());
        QVERIFY(dialog.findChild<QWidget *>("toolButton_import")->isHidden());
        QCOMPARE(dialog.findChild<QSpinBox *>("spinBox_maxLoad")->value(), 8); // raised to 8
        auto *params = dialog.findChild<WdgTreeViewParams *>("widget_TreeViewParams");
        QCOMPARE(params->model()->index(1, 0).data().toString(), QStringLiteral("6 - Six"));
        QCOMPARE(params->model()->index(1, 1).data().toString(), QStringLiteral("BBCC"));
        box->button(QDialogButtonBox::Close)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
}

void TestFramesBuilder::deviceExportShowsThePageValues_data()
{
    QTest::addColumn<int>("kivType");
    QTest::addColumn<int>("payload");
    QTest::newRow("LoRaWAN module") << 5 << 51;
    QTest::newRow("other module") << 14 << 8;
}

void TestFramesBuilder::deviceExportShowsThePageValues()
{
    QFETCH(int, kivType);
    QFETCH(int, payload);
    OrvObject device(28, 0x0100, kivType);
    FamilyParams::registerThermocouple(device.tables(), kivType);
    OrvParamList page = recs({"3:00", "24:F4FF", "22@0:8813000032000000"});
    device.paramsToWidgets(page);

    QStringList shown;
    int shownPayload = 0;
    QString title;
    whenDialogShown([&](DlgMakeFrames *dialog) {
        if (!dialog)
            return;
        title = dialog->windowTitle();
        const auto *params = dialog->findChild<WdgTreeViewParams *>("widget_TreeViewParams");
        for (int r = 0; r < params->model()->rowCount(); ++r)
            shown.append(params->model()->index(r, 0).data().toString() + " = " +
                         params->model()->index(r, 1).data().toString());
        shownPayload = dialog->findChild<QSpinBox *>("spinBox_maxLoad")->value();
        // moving parameters inside the dialog leaves the device's values alone
        dialog->findChild<WdgTreeViewParams *>("widget_TreeViewParams")->selectAll();
        dialog->findChild<QToolButton *>("toolButton_addToViewFrames")->click();
    });
    DeviceTools::exportFrames(device);
    QCOMPARE(title, QStringLiteral("Export frames"));
    QCOMPARE(shown, (QStringList{"3 - Keep alive = 00", "24 - Temperature Offset = F4FF",
                                 "22 - Tempreature threshold = [0] 8813000032000000"}));
    QCOMPARE(shownPayload, payload);
    QCOMPARE(device.pageParams().size(), 3);
    QCOMPARE(device.statusBar()->currentMessage(), QString());
}

void TestFramesBuilder::deviceImportMergesIntoThePage()
{
    OrvObject device(28, 0x0100, 14);
    FamilyParams::registerThermocouple(device.tables(), 14);
    // parameter 22 (a buffer) in two chunks of two frames, parameter 3 twice: the later wins
    QGuiApplication::clipboard()->setText(QStringLiteral("0301D6050088130000\r\n0302D6050432000000"));
    whenDialogShown([&](DlgMakeFrames *dialog) {
        if (!dialog)
            return;
        QVERIFY(QMetaObject::invokeMethod(dialog->builder(), "onImportFramesFromClipboard"));
        dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    DeviceTools::importFrames(device);
    QCOMPARE(describe(device.pageParams()), (QStringList{"3:02", "22@0:8813000032000000"}));
    // The result stays in the page's message bar until dismissed, not in a passing status line.
    QCOMPARE(device.messageBar()->text(),
             QStringLiteral("Import 2 parameters from 2 frames, has succeeded !"));
    QCOMPARE(device.statusBar()->currentMessage(), QString());
}

void TestFramesBuilder::deviceImportCancelledChangesNothing()
{
    OrvObject device(28, 0x0100, 14);
    FamilyParams::registerThermocouple(device.tables(), 14);
    OrvParamList page = recs({"3:00"});
    device.paramsToWidgets(page);
    QGuiApplication::clipboard()->setText(QStringLiteral("0301"));
    whenDialogShown([&](DlgMakeFrames *dialog) {
        if (!dialog)
            return;
        QVERIFY(QMetaObject::invokeMethod(dialog->builder(), "onImportFramesFromClipboard"));
        dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
    });
    DeviceTools::importFrames(device);
    QCOMPARE(describe(device.pageParams()), QStringList{"3:00"});
    QCOMPARE(device.statusBar()->currentMessage(), QString());
}

void TestFramesBuilder::deviceImportWithUnknownParameter()
{
    OrvObject device(28, 0x0100, 14);
    FamilyParams::registerThermocouple(device.tables(), 14);
    QGuiApplication::clipboard()->setText(QStringLiteral("03012F07"));
    whenDialogShown([&](DlgMakeFrames *dialog) {
        if (!dialog)
            return;
        QVERIFY(QMetaObject::invokeMethod(dialog->builder(), "onImportFramesFromClipboard"));
        dialog->accept();
    });
    DeviceTools::importFrames(device);
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Check parameters"));
    QVERIFY(box.text.endsWith(QStringLiteral("List of the unknown parameters : 47")));
    // The unknown parameter is named, then left out: the page gets the one it knows.
    QCOMPARE(device.messageBar()->text(),
             QStringLiteral("Import 1 parameters from 1 frames, has uncompleted !"));
}

void TestFramesBuilder::deviceImportWithMissingChunks_data()
{
    // parameter 22 (a buffer of 8 bytes) in chunks: index 0 with 4 bytes, index 4 with 4 bytes
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("status");
    QTest::newRow("all chunks") << "0301D6050088130000\r\nD6050432000000"
                                << "Import 2 parameters from 2 frames, has succeeded !";
    QTest::newRow("first chunk missing") << "0301\r\nD6050432000000"
                                         << "Import 2 parameters from 2 frames, has uncompleted !";
    QTest::newRow("gap between chunks") << "D6050088130000\r\nD6050532000000"
                                        << "Import 2 parameters from 2 frames, has uncompleted !";
}

void TestFramesBuilder::deviceImportWithMissingChunks()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, status);
    OrvObject device(28, 0x0100, 14);
    FamilyParams::registerThermocouple(device.tables(), 14);
    QGuiApplication::clipboard()->setText(clipboard);
    whenDialogShown([&](DlgMakeFrames *dialog) {
        if (!dialog)
            return;
        QVERIFY(QMetaObject::invokeMethod(dialog->builder(), "onImportFramesFromClipboard"));
        dialog->accept();
    });
    DeviceTools::importFrames(device);
    QCOMPARE(device.messageBar()->text(), status);
    QCOMPARE(device.pageParams().size(), 2); // shown in the page in every case
}

void TestFramesBuilder::exportThenImportOnTheDevicePage()
{
    // The thermocouple page of the simulated device: its values leave as frame text and come
    // back into the page.
    QSettings().clear();
    SimDevice sim;
    SimUsbHid::install(&sim);
    {
        MainWindow window;
        QVERIFY(QMetaObject::invokeMethod(&window, "on_orvManager"));
        OrvObject *device = window.device();
        QVERIFY(device);
        auto *offset = device->findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_sensor1Offset"));
        QVERIFY(offset);
        offset->setValue(-0.12);

        int shownParams = 0;
        whenDialogShown([&](DlgMakeFrames *dialog) {
            if (!dialog)
                return;
            auto *params = dialog->findChild<WdgTreeViewParams *>(QStringLiteral("widget_TreeViewParams"));
            shownParams = params->params().size();
            params->addAllAction()->trigger();
            QVERIFY(QMetaObject::invokeMethod(dialog->builder(), "onExportAllFramesToClipboard"));
            dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Close)->click();
        });
        window.findChild<QAction *>(QStringLiteral("actionExport_frames"))->trigger();
        QVERIFY(shownParams >= 10);
        const QString text = QGuiApplication::clipboard()->text();
        QCOMPARE(text.count(QStringLiteral("\r\n")), importText(text).frames.size() - 1);
        QVERIFY(text.contains(QStringLiteral("58F4FF"))); // parameter 24: -0.12 as -12, little-endian

        offset->setValue(3);
        int importedFrames = 0;
        whenDialogShown([&](DlgMakeFrames *dialog) {
            if (!dialog)
                return;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Import frames"));
            QVERIFY(QMetaObject::invokeMethod(dialog->builder(), "onImportFramesFromClipboard"));
            importedFrames = dialog->frames().size();
            dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        });
        window.findChild<QAction *>(QStringLiteral("actionImport_frames"))->trigger();
        QCOMPARE(offset->value(), -0.12);
        QVERIFY(window.centralWidget()->isAncestorOf(window.device()->messageBar())); // above the editors
        QCOMPARE(window.device()->messageBar()->text(),
                 QStringLiteral("Import %1 parameters from %2 frames, has succeeded !")
                     .arg(shownParams)
                     .arg(importedFrames));
    }
    SimUsbHid::uninstall();
}

void TestFramesBuilder::pageClosedWhileTheDialogIsOpen()
{
    // The USB poll keeps running while the dialog is open; unplugging the device closes its
    // page, and the dialog with it.
    QSettings().clear();
    SimDevice sim;
    SimUsbHid::install(&sim);
    {
        MainWindow window;
        QVERIFY(QMetaObject::invokeMethod(&window, "on_orvManager"));
        QPointer<OrvObject> device = window.device();
        QVERIFY(device);
        auto *exportAction = window.findChild<QAction *>(QStringLiteral("actionExport_frames"));
        QVERIFY(exportAction->isEnabled());
        bool shown = false;
        whenDialogShown([&](DlgMakeFrames *dialog) {
            shown = dialog != nullptr;
            sim.setPlugged(false);
            QVERIFY(QMetaObject::invokeMethod(&window, "on_orvManager"));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
        exportAction->trigger();
        QVERIFY(shown);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!device);
        QVERIFY(!window.device());
    }
    SimUsbHid::uninstall();
}

QTEST_MAIN(TestFramesBuilder)
#include "tst_framesbuilder.moc"
