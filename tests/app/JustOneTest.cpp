// The single-instance guard.
#include "app/JustOne.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tc::ui;

class JustOneTest : public QObject {
    Q_OBJECT

private slots:
    void aSecondCopyEndsAndBringsTheFirstToTheFront()
    {
        QTemporaryDir dir;
        const QString name = QStringLiteral("tripconf-test-%1").arg(QCoreApplication::applicationPid());
        TJustOne first(name, dir.path());
        QVERIFY(first.IsFirst());
        QSignalSpy activated(&first, &TJustOne::Activate);
        {
            TJustOne second(name, dir.path());
            QVERIFY(!second.IsFirst());
        }
        QVERIFY(activated.wait(5000));
    }

    void theLockIsFreeAgainOnceTheFirstCopyEnds()
    {
        QTemporaryDir dir;
        const QString name = QStringLiteral("tripconf-test2-%1").arg(QCoreApplication::applicationPid());
        {
            TJustOne first(name, dir.path());
            QVERIFY(first.IsFirst());
        }
        TJustOne next(name, dir.path());
        QVERIFY(next.IsFirst());
    }
};

QTEST_MAIN(JustOneTest)
#include "JustOneTest.moc"
