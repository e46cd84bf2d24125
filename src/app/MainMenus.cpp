// The main window's menu bar, status line and window title: the same
// functions as the step buttons, with the usual desktop shortcuts.
#include "app/MainWindow.h"

#include "app/UserGuide.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/SettingsFile.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace tc::ui {

namespace {

constexpr int kRecentFiles = 8;

QAction* Add(QMenu* menu, const char* name, const QKeySequence& keys = {})
{
    auto* a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty())
        a->setShortcut(keys);
    return a;
}

QString NativeKeys(const QAction* a)
{
    return a->shortcut().toString(QKeySequence::NativeText);
}

} // namespace

void MainWindow::BuildMenus()
{
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    fileMenu = menuBar->addMenu(QString());
    openAction = Add(fileMenu, "openAction", QKeySequence::Open);
    recentMenu = fileMenu->addMenu(QString());
    recentMenu->setObjectName(QStringLiteral("recentMenu"));
    saveAction = Add(fileMenu, "saveAction", QKeySequence::Save);
    saveAsAction = Add(fileMenu, "saveAsAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    fileMenu->addSeparator();
    // The "…" button's items: the settings as text, out and back in.
    fileMenu->addAction(exportTextAction);
    fileMenu->addAction(importTextAction);
    fileMenu->addSeparator();
    quitAction = Add(fileMenu, "quitAction", QKeySequence(Qt::CTRL | Qt::Key_Q));

    deviceMenu = menuBar->addMenu(QString());
    readAction = Add(deviceMenu, "readAction", QKeySequence(Qt::CTRL | Qt::Key_R));
    writeAction = Add(deviceMenu, "writeAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    restorePointsAction = Add(deviceMenu, "restorePointsAction");
    journalsAction = Add(deviceMenu, "journalsAction", QKeySequence(Qt::CTRL | Qt::Key_J));
    deviceMenu->addSeparator();
    portAction = Add(deviceMenu, "portAction", QKeySequence(Qt::CTRL | Qt::Key_P));

    settingsMenu = menuBar->addMenu(QString());
    editAction = Add(settingsMenu, "editAction", QKeySequence(Qt::CTRL | Qt::Key_E));
    compareAction = Add(settingsMenu, "compareAction");

    helpMenu = menuBar->addMenu(QString());
    guideAction = Add(helpMenu, "guideAction", QKeySequence::HelpContents);
    shortcutsAction = Add(helpMenu, "shortcutsAction");
    helpMenu->addSeparator();
    aboutAction = Add(helpMenu, "aboutAction");
    aboutQtAction = Add(helpMenu, "aboutQtAction");

    // The "…" button gives its items to the File menu; the save button takes its place again.
    textButton->hide();
    saveToFileButton->resize(At(0, 0, 377, 25).size());
    QWidget::setTabOrder(saveToFileButton, writeToDeviceButton);

    statusLine = new QLabel(this);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setFrameShape(QFrame::StyledPanel);
    statusLine->setTextFormat(Qt::RichText);
    statusLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    statusLine->setWordWrap(false);
    connect(statusLine, &QLabel::linkActivated, this, [this] {
        choosePort();
        RefreshStatus();
    });


    connect(openAction, &QAction::triggered, this, &MainWindow::readFromFile);
    connect(saveAction, &QAction::triggered, this, &MainWindow::saveToCurrentFile);
    connect(saveAsAction, &QAction::triggered, this, &MainWindow::saveToFile);
    connect(quitAction, &QAction::triggered, this, &QWidget::close);
    connect(readAction, &QAction::triggered, this, &MainWindow::readFromDevice);
    connect(writeAction, &QAction::triggered, this, &MainWindow::writeToDevice);
    connect(restorePointsAction, &QAction::triggered, this, &MainWindow::showRestorePoints);
    connect(journalsAction, &QAction::triggered, this, &MainWindow::viewJournals);
    connect(portAction, &QAction::triggered, this, &MainWindow::choosePort);
    connect(editAction, &QAction::triggered, this, &MainWindow::editSettings);
    connect(compareAction, &QAction::triggered, this, &MainWindow::compareWithFile);
    connect(guideAction, &QAction::triggered, this, [this] { ShowUserGuide(this); });
    connect(shortcutsAction, &QAction::triggered, this, &MainWindow::showShortcuts);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    connect(aboutQtAction, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void MainWindow::FollowCommands()
{
    // The status line, the title and the menus follow every command, of a button or a menu:
    // these connections come after the commands' own, so they see the result.
    for (QPushButton* b : controls_->findChildren<QPushButton*>())
        connect(b, &QPushButton::clicked, this, &MainWindow::RefreshStatus);
    for (QAction* a : {openAction, saveAction, saveAsAction, exportTextAction, importTextAction, readAction, writeAction,
                       restorePointsAction, journalsAction, portAction, editAction})
        connect(a, &QAction::triggered, this, &MainWindow::RefreshStatus);
}

// After the captions changed: the recent files, the status line, and the
// bars' heights for their texts.
void MainWindow::RefreshBars()
{
    RefreshRecentMenu();
    RefreshStatus();

    // The bars take the height their texts need; the steps keep their design between them.
    const int top = menuBar->sizeHint().height();
    const int bottom = statusLine->fontMetrics().height() + 8;
    const QSize steps = controls_->size();
    menuBar->setGeometry(0, 0, steps.width(), top);
    controls_->move(0, top);
    statusLine->setGeometry(0, top + steps.height(), steps.width(), bottom);
    setFixedSize(steps.width(), top + steps.height() + bottom);
}

void MainWindow::RefreshRecentMenu()
{
    recentMenu->clear();
    for (const QString& file : recentFiles_) {
        QAction* a = recentMenu->addAction(QFileInfo(file).fileName());
        a->setToolTip(file);
        a->setStatusTip(file);
        connect(a, &QAction::triggered, this, [this, file] {
            OpenSettingsFile(file);
            RefreshStatus();
        });
    }
    recentMenu->setEnabled(!recentFiles_.isEmpty());
}

void MainWindow::NoteCurrentFile(const QString& file)
{
    currentFile_ = file;
    if (file.isEmpty())
        return;
    recentFiles_.removeAll(file);
    recentFiles_.prepend(file);
    while (recentFiles_.size() > kRecentFiles)
        recentFiles_.removeLast();
    RefreshRecentMenu();
}

void MainWindow::RefreshStatus()
{
    const bool loaded = editButton->isEnabled();
    for (QAction* a : {saveAction, saveAsAction, exportTextAction, importTextAction, writeAction, journalsAction, editAction, compareAction})
        a->setEnabled(loaded);

    QStringList parts;
    const int n = static_cast<int>(link_.PortNumber);
    if (n > 0) {
        const QString path = ToQ(link_.PortPath(n));
        const bool present = !path.isEmpty() && QFileInfo::exists(path);
        parts << QTr("Порт: COM%1", "Port: COM%1").arg(n) + (path.isEmpty() ? QString() : QStringLiteral(" — ") + path)
                     + (present ? QString() : QStringLiteral(" ") + QTr("(не подключён)", "(not connected)"));
    } else {
        parts << QTr("Порт не выбран", "No port chosen");
    }
    if (loaded)
        parts << QTr("Модель: 0x%1", "Model: 0x%1").arg(QString::number(model_.DeviceModelCode, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    const QString name = currentFile_.isEmpty() ? QString() : QFileInfo(currentFile_).fileName();
    if (loaded)
        parts << QTr("Файл: %1", "File: %1").arg(name.isEmpty() ? QTr("не сохранён", "not saved") : name)
                     + (SettingsChanged ? QStringLiteral(" *") + QTr(" (изменён)", " (modified)") : QString());
    const QString status = parts.join(QStringLiteral("   |   "));
    // A port notice takes the line until a port is chosen (the title still
    // carries the file and its mark); the usual parts stay in its tooltip.
    if (portNotice_.kind == PortNotice::None) {
        statusLine->setText(status.toHtmlEscaped());
        statusLine->setToolTip(QString());
    } else {
        const QString markup = QStringLiteral("<b>%1</b> <a href=\"port\">%2</a>"); // markup only: both texts are the table's
        statusLine->setText(markup.arg(PortNoticeText().toHtmlEscaped(), QTr("Выбрать порт…", "Choose the port…").toHtmlEscaped()));
        statusLine->setToolTip(status);
    }

    // "file.qvetp* — title", as desktop programs show an open file.
    setWindowTitle((loaded ? (name.isEmpty() ? QTr("Без имени", "Untitled") : name) + QStringLiteral("[*] — ") : QString()) + baseTitle_);
    setWindowModified(loaded && SettingsChanged);
}

void MainWindow::saveToCurrentFile()
{
    if (transferRunning_)
        return;
    if (currentFile_.isEmpty() || !QFileInfo(currentFile_).isFile()) {
        SaveSettingsToFile();
        return;
    }
    if (ReportFailure([&] { WriteSettingsFile(model_, currentFile_.toStdString(), WindowLanguage()); })) {
        SettingsChanged = false;
        NoteSaved();
    }
}

void MainWindow::showShortcuts()
{
    QStringList lines;
    for (const QAction* a : {openAction, saveAction, saveAsAction, quitAction, readAction, writeAction, journalsAction, portAction, editAction,
                             guideAction})
        lines << QStringLiteral("%1\t%2").arg(NativeKeys(a), QString(a->text()).remove(QLatin1Char('&')));
    lines << QStringLiteral("Ctrl+F\t") + QTr("Найти параметр (в редакторе)", "Find a setting (in the editor)");
    ShowInfo(lines.join(QLatin1Char('\n')));
}

void MainWindow::showAbout()
{
    ShowInfo(QTr("tripconf %1\nПросмотр и настройка параметров маршрутного компьютера.\n\n"
                 "Программа написана на Qt %2 (GNU LGPL 3, https://www.qt.io/licensing).\n"
                 "Шрифт экранов МК: Terminus Font (SIL Open Font License 1.1).",
                 "tripconf %1\nViewing and configuring the trip computer's settings.\n\n"
                 "Built with Qt %2 (GNU LGPL 3, https://www.qt.io/licensing).\n"
                 "Font of the unit's screens: Terminus Font (SIL Open Font License 1.1).")
                 .arg(QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral(TRIPCONF_VERSION) : QCoreApplication::applicationVersion(),
                      QString::fromLatin1(qVersion())));
}

} // namespace tc::ui
