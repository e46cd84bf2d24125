// The single-instance guard.
#include "app/SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tc::ui;

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    // A second copy ends and brings the first to the front; started with a
    // file, it hands the file's path to the first copy.
    void aSecondCopyEndsAndHandsItsFileToTheFirst()
    {
        QTemporaryDir dir;
        const QString name = QStringLiteral("tripconf-test3-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name, dir.path());
        QVERIFY(first.IsFirst());
        QSignalSpy activated(&first, &SingleInstance::Activate);
        QSignalSpy opened(&first, &SingleInstance::OpenFile);
        const QString file = QStringLiteral("/tmp/настройки с пробелом.qvetp");
        {
            SingleInstance second(name, dir.path(), nullptr, file);
            QVERIFY(!second.IsFirst());
        }
        QVERIFY(opened.wait(5000));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), file);
        QCOMPARE(activated.size(), 1);
        {
            SingleInstance third(name, dir.path()); // no file: brought to the front only
            QVERIFY(!third.IsFirst());
        }
        QTRY_COMPARE(activated.size(), 2);
        QCOMPARE(opened.size(), 1);
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
