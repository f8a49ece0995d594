// The wheel-proof boxes: the mouse wheel changes nothing and does not reach the scroll area
// around them; focus comes by tab or click only.

#include "editors/InputWidgets.h"

#include <QLineEdit>
#include <QtTest/qtestspontaneevent.h>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest>

namespace {

/// A container that counts the wheel events reaching it (the role of a page's scroll area).
class WheelCountingParent : public QWidget
{
public:
    int wheelEvents = 0;

protected:
    void wheelEvent(QWheelEvent *event) override
    {
        ++wheelEvents;
        event->accept();
    }
};

/// Wheel notches turned over w. The event is marked as coming from the window system: only
/// then does the application pass an ignored wheel event on to the parent widgets and give focus
/// to a widget that takes focus by the wheel.
void turnWheel(QWidget *w, int notches = 1)
{
    const QPointF pos(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent event(pos, w->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    // sendEvent() would clear the mark again; notify() delivers it as it is.
    qApp->notify(w, &event);
}

enum Kind
{
    Combo,
    Spin,
    DoubleSpin,
    PlainCombo,
    PlainSpin,
    PlainDoubleSpin
};

QWidget *makeBox(Kind kind, QWidget *parent)
{
    switch (kind) {
    case Combo:
    case PlainCombo: {
        QComboBox *c = kind == Combo ? new comboBoxQuor(parent) : new QComboBox(parent);
        c->addItems({"one", "two", "three"});
        c->setCurrentIndex(1);
        return c;
    }
    case Spin:
    case PlainSpin: {
        QSpinBox *s = kind == Spin ? new spinboxQuor(parent, 5) : new QSpinBox(parent);
        s->setRange(0, 10);
        s->setValue(5);
        return s;
    }
    case DoubleSpin:
    case PlainDoubleSpin: {
        QDoubleSpinBox *d = kind == DoubleSpin ? new doubleSpinBoxQuor(parent) : new QDoubleSpinBox(parent);
        d->setRange(0, 10);
        d->setValue(5.5);
        return d;
    }
    }
    return nullptr;
}

/// The shown value of any of the boxes, as text.
QString shown(QWidget *box)
{
    if (auto *c = qobject_cast<QComboBox *>(box))
        return c->currentText();
    if (auto *s = qobject_cast<QAbstractSpinBox *>(box))
        return s->text();
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestInputWidgets : public QObject
{
    Q_OBJECT

private slots:
    void wheelChangesNothing_data();
    void wheelChangesNothing();
    void plainBoxesDoTakeTheWheel_data();
    void plainBoxesDoTakeTheWheel();
    void focusByTabOrClickOnly_data();
    void focusByTabOrClickOnly();
    void spinboxInitialValue_data();
    void spinboxInitialValue();
    void spinboxKeepsSignals();
};

void TestInputWidgets::wheelChangesNothing_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("comboBoxQuor") << Combo;
    QTest::newRow("spinboxQuor") << Spin;
    QTest::newRow("doubleSpinBoxQuor") << DoubleSpin;
}

void TestInputWidgets::wheelChangesNothing()
{
    QFETCH(Kind, kind);
    WheelCountingParent page;
    auto *layout = new QVBoxLayout(&page);
    QWidget *box = makeBox(kind, &page);
    layout->addWidget(box);
    page.show();
    QApplication::setActiveWindow(&page);
    QVERIFY(QTest::qWaitForWindowActive(&page));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());

    const QString before = shown(box);
    turnWheel(box);
    turnWheel(box, -2);
    QCOMPARE(shown(box), before);
    // The page around the box does not scroll either.
    QCOMPARE(page.wheelEvents, 0);
}

void TestInputWidgets::plainBoxesDoTakeTheWheel_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("QComboBox") << PlainCombo;
    QTest::newRow("QSpinBox") << PlainSpin;
    QTest::newRow("QDoubleSpinBox") << PlainDoubleSpin;
}

// The fixture's wheel really moves and focuses the toolkit's boxes, and reaches the page past a
// widget that ignores it, so the tests of the boxes above would notice a difference.
void TestInputWidgets::plainBoxesDoTakeTheWheel()
{
    QFETCH(Kind, kind);
    WheelCountingParent page;
    auto *layout = new QVBoxLayout(&page);
    auto *edit = new QLineEdit(&page);
    layout->addWidget(edit);
    QWidget *box = makeBox(kind, &page);
    layout->addWidget(box);
    auto *plain = new QWidget(&page);
    layout->addWidget(plain);
    page.show();
    QApplication::setActiveWindow(&page);
    QVERIFY(QTest::qWaitForWindowActive(&page));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    const QString before = shown(box);
    turnWheel(box);
    QVERIFY2(shown(box) != before, qPrintable(shown(box)));
    QVERIFY(box->hasFocus());
    turnWheel(plain);
    QCOMPARE(page.wheelEvents, 1);
}

void TestInputWidgets::focusByTabOrClickOnly_data()
{
    wheelChangesNothing_data();
}

void TestInputWidgets::focusByTabOrClickOnly()
{
    QFETCH(Kind, kind);
    QWidget page;
    auto *layout = new QVBoxLayout(&page);
    auto *before = new QLineEdit(&page);
    layout->addWidget(before);
    QWidget *box = makeBox(kind, &page);
    layout->addWidget(box);
    page.show();
    QApplication::setActiveWindow(&page);
    QVERIFY(QTest::qWaitForWindowActive(&page));

    // The toolkit's boxes also take focus by the wheel; these must not.
    QCOMPARE(box->focusPolicy(), Qt::StrongFocus);
    before->setFocus();
    QTRY_VERIFY(before->hasFocus());
    turnWheel(box);
    QVERIFY(before->hasFocus());

    QTest::keyClick(before, Qt::Key_Tab);
    QTRY_VERIFY(box->hasFocus());

    before->setFocus();
    QTRY_VERIFY(before->hasFocus());
    QWidget *target = box;
    if (auto *s = qobject_cast<QAbstractSpinBox *>(box))
        target = s->findChild<QLineEdit *>();
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(4, target->height() / 2));
    if (auto *c = qobject_cast<QComboBox *>(box))
        c->hidePopup();
    QTRY_VERIFY(box->hasFocus());
}

void TestInputWidgets::spinboxInitialValue_data()
{
    QTest::addColumn<int>("initial");
    QTest::addColumn<int>("minimum"); // set after construction; 0 is the default minimum
    QTest::addColumn<int>("shown");
    QTest::newRow("inside the default range") << 42 << 0 << 42;
    QTest::newRow("above the default maximum") << 150 << 0 << 99;
    QTest::newRow("below the default minimum") << -5 << 0 << 0;
    QTest::newRow("zero, then a negative minimum") << 0 << -99 << 0;
}

void TestInputWidgets::spinboxInitialValue()
{
    QFETCH(int, initial);
    QFETCH(int, minimum);
    QFETCH(int, shown);
    spinboxQuor box(nullptr, initial);
    box.setMinimum(minimum);
    QCOMPARE(box.value(), shown);
}

void TestInputWidgets::spinboxKeepsSignals()
{
    spinboxQuor box(nullptr, 3);
    QCOMPARE(box.metaObject()->className(), "spinboxQuor");
    QSignalSpy spy(&box, QOverload<int>::of(&QSpinBox::valueChanged));
    box.setValue(7);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 7);
}

QTEST_MAIN(TestInputWidgets)
#include "tst_inputwidgets.moc"
