// The single-instance guard.
#include "app/SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tc::ui;

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void aSecondCopyEndsAndBringsTheFirstToTheFront()
    {
        QTemporaryDir dir;
        const QString name = QStringLiteral("tripconf-test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name, dir.path());
        QVERIFY(first.IsFirst());
        QSignalSpy activated(&first, &SingleInstance::Activate);
        {
            SingleInstance second(name, dir.path());
            QVERIFY(!second.IsFirst());
        }
        QVERIFY(activated.wait(5000));
    }

    void theLockIsFreeAgainOnceTheFirstCopyEnds()
    {
        QTemporaryDir dir;
        const QString name = QStringLiteral("tripconf-test2-%1").arg(QCoreApplication::applicationPid());
        {
            SingleInstance first(name, dir.path());
            QVERIFY(first.IsFirst());
        }
        SingleInstance next(name, dir.path());
        QVERIFY(next.IsFirst());
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
