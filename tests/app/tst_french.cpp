// The program in French: the French translation loaded, the main flows are walked and every
// text a widget shows (labels, buttons, group boxes, tabs, combo entries, tooltips, window
// titles, table headers, menus and actions) must be French; boxes and statuses too. And the
// translation source itself: lupdate run over the code finds nothing untranslated.

#include "gui/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/WdgMain.h"
#include "editors/OrvObject.h"
#include "editors/WdgOrv.h"
#include "editors/WdgOrvVirtual.h"
#include "sim/SimBle.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/LocalHttpServer.h"
#include "support/MainWindowTest.h"
#include "support/RecordingReporter.h"
#include "tools/WdgAutoCfg.h"
#include "tools/WdgDeviceUpdater.h"
#include "tools/dlgUpdateChecker.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

namespace {
const QString kFrenchQm = QStringLiteral(PELM_BIN_DIR "/translations/orv_cfg_fr.qm");
const QString kFrenchTs = QStringLiteral(PELM_SOURCE_DIR "/resources/translations/orv_cfg_fr.ts");

/// Texts that read the same in both languages: product and protocol names, units, terminal
/// modes, the language menu's entries (each language is named in English, so that a user
/// who can't read the current language still finds their own).
const QSet<QString> kSameInBothLanguages = {
    QStringLiteral("OK"),
    QStringLiteral("Ascii"),
    QStringLiteral("Hex"),
    QStringLiteral("Modbus"),
    QStringLiteral("cr"),
    QStringLiteral("lf"),
    QStringLiteral("English"),
    QStringLiteral("French"),
    QStringLiteral("Pelm Configurator"),
    QStringLiteral("Sigfox"),
    QStringLiteral("LoRaWAN"),
    QStringLiteral("Monarch"),
    QStringLiteral("LoraWan/Sigfox (Bidirectional)"), // a radio technology's product name
};

/// One message of the translation source.
struct TsMessage
{
    QString context;
    QString source;
    QStringList translations; ///< one, or the plural forms
    QString type;             ///< the translation's type attribute ("" when finished)
    bool numerus = false;     ///< a text with %n: French has two forms (1, and 0 or more than 1)
};

QVector<TsMessage> readTs(const QString &path, QString *error)
{
    QVector<TsMessage> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    TsMessage current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QStringRef name = xml.name();
        if (name == QLatin1String("context")) {
            context.clear();
        } else if (name == QLatin1String("name") && context.isEmpty()) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            current = TsMessage();
            current.context = context;
            current.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (name == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            current.type = xml.attributes().value(QLatin1String("type")).toString();
            if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace())
                current.translations << xml.text().toString();
            while (!(xml.isEndElement() && xml.name() == QLatin1String("translation")) && !xml.atEnd()) {
                if (xml.isStartElement() && xml.name() == QLatin1String("numerusform"))
                    current.translations << xml.readElementText();
                xml.readNext();
            }
            messages << current;
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return messages;
}

/// The words of a text, lower case (letters only; "l'appareil" gives "l" and "appareil").
QStringList wordsOf(const QString &text)
{
    static const QRegularExpression nonLetters(QStringLiteral("[^\\p{L}]+"));
    return text.toLower().split(nonLetters, Qt::SkipEmptyParts);
}

/// Plain text of a label that may hold rich text, without accelerator marks.
QString plain(const QString &text)
{
    QString t = text;
    if (Qt::mightBeRichText(t)) {
        QTextDocument doc;
        doc.setHtml(t);
        t = doc.toPlainText();
    }
    t.replace(QLatin1String("&&"), QLatin1String("\x01"));
    t.remove(QLatin1Char('&'));
    t.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return t.simplified();
}
} // namespace

class TestFrench : public MainWindowTest
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void translationSourceIsComplete();
    void translationsKeepPlaceholders();
    void lupdateFindsNothingNew();

    void connectionPage();
    void devicePage();
    void applyWithARefusedParameter();
    void offlinePage();
    void framesBuilder();
    void keysDialogAndTerminal();
    void autoConfigurationPage();
    void releaseChecker();
    void updaterPage();

private:
    /// The English texts among those root and its children show ("where: text").
    QStringList englishIn(QWidget *root) const;
    /// Adds where: text to found when text is English.
    void judge(const QString &where, const QString &text, QStringList *found) const;
    bool isEnglish(const QString &text) const;
    /// Runs body on the modal dialog named objectName once it shows, while trigger runs.
    bool onDialog(const QString &objectName, QAction *trigger, const std::function<void(QDialog *)> &body);

    QTranslator m_translator;
    QTranslator m_qtTranslator;
    /// Words of the English source texts that no French translation uses.
    QSet<QString> m_englishWords;
};

void TestFrench::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
    QCoreApplication::setApplicationVersion("1.0.7");
    QVERIFY2(m_translator.load(kFrenchQm), qPrintable(kFrenchQm + " is missing: build pelm_translations"));
    QCoreApplication::installTranslator(&m_translator);
    // The Qt library's own texts (standard buttons), as the window loads them.
    if (m_qtTranslator.load(QStringLiteral("qt_fr"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qtTranslator);
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));

    // The vocabulary that gives English away: words of the source texts that no translation
    // uses ("device", "the", "frames"; not "configuration", "code" or "a").
    QString error;
    const QVector<TsMessage> messages = readTs(kFrenchTs, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QSet<QString> french;
    for (const TsMessage &m : messages) {
        if (m.context == QLatin1String("CliHelp") || m.context == QLatin1String("Cli"))
            continue; // pelm-cli's French quotes the commands: "device watch", "frames pack"
        for (const QString &w : wordsOf(m.source))
            m_englishWords.insert(w);
        for (const QString &t : m.translations)
            for (const QString &w : wordsOf(t))
                french.insert(w);
    }
    m_englishWords.subtract(french);
    // Never a sign of English on its own: HTML kept in rich-text sources.
    for (const char *w :
         {"html", "head", "body", "span", "style", "img", "src", "width", "height", "br", "pt"})
        m_englishWords.remove(QLatin1String(w));
    QVERIFY(m_englishWords.contains(QStringLiteral("device")));
    QVERIFY(!m_englishWords.contains(QStringLiteral("configuration")));
}

void TestFrench::cleanupTestCase()
{
    QCoreApplication::removeTranslator(&m_translator);
    QCoreApplication::removeTranslator(&m_qtTranslator);
    QLocale::setDefault(QLocale::c());
}

void TestFrench::init()
{
    startWindow();
}

void TestFrench::cleanup()
{
    stopWindow();
}

bool TestFrench::isEnglish(const QString &text) const
{
    const QString t = plain(text);
    if (t.isEmpty() || kSameInBothLanguages.contains(t))
        return false;
    for (const QString &w : wordsOf(t)) {
        if (m_englishWords.contains(w))
            return true;
    }
    return false;
}

void TestFrench::judge(const QString &where, const QString &text, QStringList *found) const
{
    if (isEnglish(text))
        *found << where + QStringLiteral(": ") + plain(text);
}

QStringList TestFrench::englishIn(QWidget *root) const
{
    QStringList found;
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *w : widgets) {
        const QString where =
            QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
        judge(where + QStringLiteral(" tooltip"), w->toolTip(), &found);
        if (w->isWindow())
            judge(where + QStringLiteral(" title"), w->windowTitle(), &found);
        if (auto *label = qobject_cast<QLabel *>(w))
            judge(where, label->text(), &found);
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            judge(where, button->text(), &found);
        if (auto *box = qobject_cast<QGroupBox *>(w))
            judge(where, box->title(), &found);
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            judge(where + QStringLiteral(" placeholder"), edit->placeholderText(), &found);
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                judge(where + QStringLiteral(" tab"), tabs->tabText(i), &found);
        }
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                judge(where + QStringLiteral(" entry"), combo->itemText(i), &found);
        }
        if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
            if (QAbstractItemModel *model = view->model()) {
                for (int c = 0; c < model->columnCount(); ++c)
                    judge(where + QStringLiteral(" header"), model->headerData(c, Qt::Horizontal).toString(),
                          &found);
            }
        }
        if (auto *menu = qobject_cast<QMenu *>(w))
            judge(where + QStringLiteral(" menu"), menu->title(), &found);
        for (QAction *a : w->actions()) {
            const QString at = QStringLiteral("action ") + a->objectName();
            judge(at, a->text(), &found);
            judge(at + QStringLiteral(" tooltip"), a->toolTip(), &found);
            if (a->menu()) {
                judge(at + QStringLiteral(" menu"), a->menu()->title(), &found);
                found << englishIn(a->menu());
            }
        }
    }
    found.removeDuplicates();
    return found;
}

bool TestFrench::onDialog(const QString &objectName, QAction *trigger,
                          const std::function<void(QDialog *)> &body)
{
    bool ran = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        QDialog *dlg = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == objectName && w->isVisible())
                dlg = qobject_cast<QDialog *>(w);
        }
        if (!dlg)
            return;
        ran = true;
        body(dlg);
        dlg->reject();
    });
    trigger->trigger();
    return ran;
}

// ---------------------------------------------------------------------------------------------
// The translation source

void TestFrench::translationSourceIsComplete()
{
    QString error;
    const QVector<TsMessage> messages = readTs(kFrenchTs, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(messages.size() > 100);
    QStringList faults;
    for (const TsMessage &m : messages) {
        if (!m.type.isEmpty())
            faults << m.type + QStringLiteral(" ") + m.context + QStringLiteral(": ") + m.source;
        else if (m.translations.isEmpty() || m.translations.contains(QString()))
            faults << QStringLiteral("empty ") + m.context + QStringLiteral(": ") + m.source;
        else if (m.translations.size() != (m.numerus ? 2 : 1))
            faults << QStringLiteral("%1 forms ").arg(m.translations.size()) + m.context +
                          QStringLiteral(": ") + m.source;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void TestFrench::translationsKeepPlaceholders()
{
    // Each %1..%99 / %n of the source is in the translation, leading and trailing white space
    // (line ends included) is kept, and so is each accelerator.
    static const QRegularExpression marker(QStringLiteral("%(n|L?\\d+)"));
    static const QRegularExpression edges(QStringLiteral("^(\\s*).*?(\\s*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const auto markers = [](const QString &s) {
        QStringList list;
        auto it = marker.globalMatch(s);
        while (it.hasNext())
            list << it.next().captured(0);
        list.sort();
        return list;
    };
    static const QRegularExpression accelerator(QStringLiteral("&[^&\\s]"));
    const auto accelerators = [](QString s) { return s.remove(QLatin1String("&&")).count(accelerator); };
    QString error;
    const QVector<TsMessage> messages = readTs(kFrenchTs, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList faults;
    for (const TsMessage &m : messages) {
        const auto sourceEdges = edges.match(m.source);
        for (const QString &t : m.translations) {
            const auto tEdges = edges.match(t);
            QString why;
            if (markers(m.source) != markers(t))
                why = QStringLiteral("placeholders");
            else if (sourceEdges.captured(1) != tEdges.captured(1) ||
                     sourceEdges.captured(2) != tEdges.captured(2))
                why = QStringLiteral("white space at the ends");
            else if (accelerators(m.source) != accelerators(t))
                why = QStringLiteral("accelerator");
            if (!why.isEmpty())
                faults << why + QStringLiteral(" in ") + m.context + QStringLiteral(": ") + m.source;
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void TestFrench::lupdateFindsNothingNew()
{
    // lupdate over today's code into a copy of the source: a text added or changed in the code
    // since the last lupdate run shows up as unfinished, a removed one as vanished.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString copy = dir.filePath(QStringLiteral("orv_cfg_fr.ts"));
    QVERIFY(QFile::copy(kFrenchTs, copy));
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(PELM_LUPDATE),
                  {QStringLiteral(PELM_SOURCE_DIR "/src"), QStringLiteral("-ts"), copy});
    QVERIFY(lupdate.waitForFinished(120000));
    QCOMPARE(lupdate.exitCode(), 0);
    QString error;
    const QVector<TsMessage> messages = readTs(copy, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList faults;
    for (const TsMessage &m : messages) {
        if (!m.type.isEmpty())
            faults << m.type + QStringLiteral(" ") + m.context + QStringLiteral(": ") + m.source;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("run `cmake --build build --target lupdate` and "
                                                         "translate:\n") +
                                          faults.join('\n')));
}

// ---------------------------------------------------------------------------------------------
// The flows

void TestFrench::connectionPage()
{
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));
    QCOMPARE(action("actionApply")->text(), QStringLiteral("Appliquer à l'ORV"));
    const QStringList english = englishIn(m_window.get());
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
}

void TestFrench::devicePage()
{
    m_dev->setPlugged(true);
    poll();
    QVERIFY(qobject_cast<WdgOrv *>(m_window->centralWidget()));
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Le chargement de la configuration depuis Pelm a réussi !"));
    const QStringList english = englishIn(m_window.get());
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
}

void TestFrench::applyWithARefusedParameter()
{
    m_dev->setPlugged(true);
    m_dev->setRefused(22);
    poll();
    QVERIFY(m_window->device());
    m_window->device()->findChild<QComboBox *>("comboBox_Spire")->setCurrentIndex(2);
    m_rep.answer(Reporter::Ok);
    action("actionApply")->trigger();
    // The comparison before the write speaks French too.
    const Reporter::Box compare = m_rep.takeBox();
    QCOMPARE(compare.title, QStringLiteral("Écrire dans l'appareil ?"));
    QVERIFY2(compare.text.startsWith(QStringLiteral("L'écriture modifie ces valeurs de l'appareil :\n\n")),
             qPrintable(compare.text));
    QCOMPARE(compare.buttonTexts.value(Reporter::Ok), QStringLiteral("Écrire"));
    QCOMPARE(compare.buttonTexts.value(Reporter::Cancel), QStringLiteral("Annuler"));
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Échec de l'application de la configuration"));
    QCOMPARE(box.text,
             QStringLiteral("Certains paramètres de la configuration ont échoué :\n\n"
                            "    - Seuil de température (22): Configuration de seuil incorrecte !\n"));
    QVERIFY(!isEnglish(m_window->statusBar()->currentMessage()));
}

void TestFrench::offlinePage()
{
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    QVERIFY(qobject_cast<WdgOrvVirtual *>(m_window->centralWidget()));
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Le chargement de la configuration depuis 'default' a réussi !"));
    const QStringList english = englishIn(m_window.get());
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
}

void TestFrench::framesBuilder()
{
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    QStringList english;
    QString counter;
    QVERIFY(onDialog(QStringLiteral("DlgMakeFrames"), action("actionExport_frames"), [&](QDialog *dlg) {
        english = englishIn(dlg);
        if (auto *label = dlg->findChild<QLabel *>(QStringLiteral("label_counterFrames")))
            counter = label->text();
    }));
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
    QVERIFY2(counter.startsWith(QStringLiteral("Compteur de trames : ")), qPrintable(counter));
    QVERIFY(onDialog(QStringLiteral("DlgMakeFrames"), action("actionImport_frames"),
                     [&](QDialog *dlg) { english = englishIn(dlg); }));
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
}

void TestFrench::keysDialogAndTerminal()
{
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device());
    QStringList english;
    QVERIFY(onDialog(QStringLiteral("DlgChangeKeys"), action("actionChangeLoRaWANkeys"),
                     [&](QDialog *dlg) { english = englishIn(dlg); }));
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
    QVERIFY(onDialog(QStringLiteral("DlgUartTerm"), action("actionKivTerminal"), [&](QDialog *dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Terminal Kiv"));
        english = englishIn(dlg);
    }));
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
}

void TestFrench::autoConfigurationPage()
{
    action("actionAuto_Conf")->trigger();
    QVERIFY(qobject_cast<WdgAutoCfg *>(m_window->centralWidget()));
    const QStringList english = englishIn(m_window.get());
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
}

void TestFrench::releaseChecker()
{
    LocalHttpServer server;
    QVERIFY(server.listen());
    server.json("/same", LocalHttpServer::release("pelm-configurator", "1.0.7", "https://example.com/dl"));
    dlgUpdateChecker dialog;
    dialog.setCurrentVersion(QStringLiteral("1.0.7"));
    dialog.setProductKey(QStringLiteral("pelm-configurator"));
    dialog.setUrl(server.url(QStringLiteral("/same")));
    QSignalSpy finished(&dialog, &dlgUpdateChecker::checkingFinished);
    dialog.checkForUpdates();
    QVERIFY(!finished.isEmpty() || finished.wait(20000));
    QCOMPARE(dialog.message(), QStringLiteral("La version actuelle est déjà la plus récente !"));
    QStringList english = englishIn(&dialog);
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));

    // A failed check: the detail in French too.
    dialog.setUrl(server.url(QStringLiteral("/missing")));
    finished.clear();
    dialog.checkForUpdates();
    QVERIFY(!finished.isEmpty() || finished.wait(20000));
    QVERIFY2(dialog.message().endsWith(QStringLiteral("Plus de détails : Erreur réseau 203")),
             qPrintable(dialog.message()));
    english = englishIn(&dialog);
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
}

void TestFrench::updaterPage()
{
    // A device reached over BLE whose controller has a bootloader: Tools > Updater.
    m_bleDev.reset(new SimDevice);
    m_bleDev->setBootloaderCaps(QByteArray::fromHex("41"));
    installSimBle(m_bleDev.get());
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvBlePicked",
                                      Q_ARG(QString, QString::fromLatin1(SimBleBackend::kDefaultAddress))));
    QVERIFY(m_window->device());
    QVERIFY(action("actionUpdater")->isEnabled());
    action("actionUpdater")->trigger();
    auto *page = qobject_cast<WdgDeviceUpdater *>(m_window->centralWidget());
    QVERIFY(page);
    const QStringList english = englishIn(m_window.get());
    QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
    m_rep.clear(); // the BLE link's statuses: not what this case looks at
}

QTEST_MAIN(TestFrench)
#include "tst_french.moc"
