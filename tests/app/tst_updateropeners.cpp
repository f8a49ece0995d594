#include <QtTest>
class TestUpdaterOpeners : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TestUpdaterOpeners)
#include "tst_updateropeners.moc"
