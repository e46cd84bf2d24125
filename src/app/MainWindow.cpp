#include "app/MainWindow.h"

#include "app/IniFile.h"
#include "app/ProgressWindow.h"
#include "app/RestorePointsDialog.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "editor/SettingsCompare.h"
#include "editor/SettingsText.h"
#include "editor/ui/ChangesQuestion.h"
#include "link/Transfers.h"
#include "link/ui/PasswordDialog.h"
#include "link/ui/PortDialog.h"
#include "model/SettingsFile.h"
#include "ui/Folders.h"
#include "ui/Prompter.h"
#include "ui/QtLanguage.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <optional>

namespace tc::ui {

namespace {

// The line height of the font the steps were drawn for.
constexpr double kDesignFontHeight = 14.0;

QString UnsavedQuestion()
{
    return QTr("Возможно, настройки были изменены, но не сохранены на диске. Сохранить?",
             "It is possible that the settings were changed, but not saved to disk. Save it?");
}

QPushButton* MakeButton(QWidget* parent, const char* name, QRect at)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(at);
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    b->setAutoDefault(false);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, QRect at)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(at);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, QRect at)
{
    auto* g = new QGroupBox(parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(at);
    // Bold title, normal text inside.
    g->setStyleSheet(QStringLiteral("QGroupBox#%1 { font-weight: bold; }").arg(QString::fromLatin1(name)));
    return g;
}

// Whether a part a step needs is in this build; when it is not, says so.
bool InThisBuild(bool present, const QString& missing)
{
    if (!present)
        ShowInfo(missing);
    return present;
}

// A transfer's failure: a link failure before anything was written is
// followed by the line saying so, with the block and what the device did last.
QString TransferFailureText(const std::exception& e, const ProgressWindow& progress)
{
    QString text = FailureText(e);
    if (dynamic_cast<const Error*>(&e) && (!progress.LastFailure.empty() || std::string(e.what()).rfind("RS232", 0) == 0))
        text += QLatin1Char('\n') + ToQ(NothingWrittenText(progress.LastFailure, progress.language));
    return text;
}

FileQuestion FilesQuestion(bool save, const QString& folder, const QString& filter, const QString& defaultSuffix)
{
    FileQuestion q;
    q.save = save;
    q.folder = folder;
    q.filter = filter + QStringLiteral(";;%1 (*)").arg(QTr("Все файлы", "All files"));
    q.defaultSuffix = defaultSuffix;
    return q;
}

// The open and save dialogs of settings files. Both extensions are listed:
// files are saved as .qvetp and must show up when they are loaded back.
FileQuestion SettingsFileQuestion(bool save, const QString& folder)
{
    return FilesQuestion(save, folder, QTr("Файлы настроек (*.qvetg *.qvetp)", "Settings files (*.qvetg *.qvetp)"), QStringLiteral("qvetp"));
}

// The settings as text: every control's shown value by key and every
// record's bytes, so that a text exported here and imported comes back byte
// for byte.
FileQuestion TextFileQuestion(bool save, const QString& folder)
{
    return FilesQuestion(save, folder, QStringLiteral("JSON (*.json)"), QStringLiteral("json"));
}

// The file a command opens, from the user's folder; none when the user cancels.
std::optional<QString> AskFileToOpen(FileQuestion (*question)(bool save, const QString& folder))
{
    return AskFile(question(false, PreferredFolder(FolderUse::UserFiles)));
}

// A small picture of a trip computer's screen for the corner of the window.
QPixmap Emblem()
{
    QPixmap pixmap(200, 40);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(16, 24, 32));
    p.drawRoundedRect(QRectF(1, 1, 60, 38), 5, 5);
    p.setPen(QColor(0, 230, 90));
    QFont digits(QStringLiteral("Monospace"));
    digits.setBold(true);
    digits.setPixelSize(20);
    p.setFont(digits);
    p.drawText(QRectF(1, 1, 60, 38), Qt::AlignCenter, QStringLiteral("7.4"));
    p.setPen(QColor(40, 40, 40));
    QFont title = QApplication::font();
    title.setBold(true);
    title.setPixelSize(20);
    p.setFont(title);
    p.drawText(QRectF(70, 0, 130, 40), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("tripconf"));
    return pixmap;
}

} // namespace

MainWindow::MainWindow(DeviceLink& link, SettingsModel& model, Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      link_(link), model_(model), options_(std::move(options))
{
    setObjectName(QStringLiteral("MainWindow"));
    setAcceptDrops(true); // a settings file dropped on the window is opened
    // The steps keep their drawn design, in proportion to the font: a larger
    // font (or a font for a denser screen) makes the whole design larger.
    scale_ = std::max(1.0, QFontMetricsF(font()).height() / kDesignFontHeight);
    controls_ = new QWidget(this);
    controls_->setGeometry(At(0, 0, 810, 384));
    QWidget* c = controls_;

    firmwareWarning = MakeLabel(c, "firmwareWarning", At(8, 8, 393, 49));
    firmwareWarning->setAlignment(Qt::AlignCenter);
    firmwareWarning->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    choosePortButton = MakeButton(c, "choosePortButton", At(8, 72, 393, 25));

    step1Box = MakeGroup(c, "step1Box", At(8, 112, 393, 177));
    readFromDeviceHint = MakeLabel(step1Box, "readFromDeviceHint", At(40, 16, 313, 49));
    readFromDeviceButton = MakeButton(step1Box, "readFromDeviceButton", At(8, 64, 377, 25));
    readFromFileHint = MakeLabel(step1Box, "readFromFileHint", At(40, 104, 313, 33));
    readFromFileButton = MakeButton(step1Box, "readFromFileButton", At(8, 144, 377, 25));

    step2Box = MakeGroup(c, "step2Box", At(8, 296, 393, 81));
    editHint = MakeLabel(step2Box, "editHint", At(40, 16, 313, 25));
    editButton = MakeButton(step2Box, "editButton", At(8, 48, 377, 25));

    journalsBox = MakeGroup(c, "journalsBox", At(408, 25, 393, 81));
    journalsHint = MakeLabel(journalsBox, "journalsHint", At(40, 16, 313, 32)); // two lines of the Russian text
    viewJournalsButton = MakeButton(journalsBox, "viewJournalsButton", At(8, 48, 377, 25));

    step3Box = MakeGroup(c, "step3Box", At(408, 120, 393, 89));
    saveHint = MakeLabel(step3Box, "saveHint", At(40, 16, 313, 33));
    saveToFileButton = MakeButton(step3Box, "saveToFileButton", At(8, 56, 345, 25));
    textButton = new QToolButton(step3Box);
    textButton->setObjectName(QStringLiteral("textButton"));
    textButton->setGeometry(At(357, 56, 28, 25));
    textButton->setText(QStringLiteral("…"));
    textButton->setPopupMode(QToolButton::InstantPopup);
    textButton->setFocusPolicy(Qt::StrongFocus);
    auto* textMenu = new QMenu(textButton);
    exportTextAction = textMenu->addAction(QString());
    importTextAction = textMenu->addAction(QString());
    textButton->setMenu(textMenu);

    step4Box = MakeGroup(c, "step4Box", At(408, 216, 393, 81));
    writeHint = MakeLabel(step4Box, "writeHint", At(40, 16, 313, 25));
    writeToDeviceButton = MakeButton(step4Box, "writeToDeviceButton", At(8, 48, 377, 25));

    englishBox = new QCheckBox(QStringLiteral("English language"), c);
    englishBox->setObjectName(QStringLiteral("englishBox"));
    englishBox->setGeometry(At(672, 8, 129, 17));

    verifyAfterWriteBox = new QCheckBox(c);
    verifyAfterWriteBox->setObjectName(QStringLiteral("verifyAfterWriteBox"));
    verifyAfterWriteBox->setGeometry(At(416, 302, 385, 20));
    verifyAfterWriteBox->setChecked(true);

    restorePointsButton = new QPushButton(c);
    restorePointsButton->setObjectName(QStringLiteral("restorePointsButton"));
    restorePointsButton->setGeometry(At(408, 336, 185, 25));
    restorePointsButton->setAutoDefault(false);

    emblem = new QLabel(c);
    emblem->setObjectName(QStringLiteral("emblem"));
    emblem->setGeometry(At(600, 328, 200, 40));
    emblem->setPixmap(Emblem());
    emblem->setScaledContents(true);

    BuildMenus();

    // The Russian captions until the window is shown and its ini file read;
    // until then the port button reads "Выбрать СОМ-порт", without "manually".
    ApplyLanguage(Language::Russian);
    choosePortButton->setText(QStringLiteral("Выбрать СОМ-порт"));

    EnableDependentButtons(false);

    // Tab order follows the steps.
    QWidget::setTabOrder(choosePortButton, readFromDeviceButton);
    QWidget::setTabOrder(readFromDeviceButton, readFromFileButton);
    QWidget::setTabOrder(readFromFileButton, editButton);
    QWidget::setTabOrder(editButton, viewJournalsButton);
    QWidget::setTabOrder(viewJournalsButton, saveToFileButton);
    QWidget::setTabOrder(saveToFileButton, textButton);
    QWidget::setTabOrder(textButton, writeToDeviceButton);
    QWidget::setTabOrder(writeToDeviceButton, verifyAfterWriteBox);
    QWidget::setTabOrder(verifyAfterWriteBox, restorePointsButton);
    QWidget::setTabOrder(restorePointsButton, englishBox);

    connect(choosePortButton, &QPushButton::clicked, this, &MainWindow::choosePort);
    connect(readFromDeviceButton, &QPushButton::clicked, this, &MainWindow::readFromDevice);
    connect(readFromFileButton, &QPushButton::clicked, this, &MainWindow::readFromFile);
    connect(editButton, &QPushButton::clicked, this, &MainWindow::editSettings);
    connect(viewJournalsButton, &QPushButton::clicked, this, &MainWindow::viewJournals);
    connect(saveToFileButton, &QPushButton::clicked, this, &MainWindow::saveToFile);
    connect(writeToDeviceButton, &QPushButton::clicked, this, &MainWindow::writeToDevice);
    connect(exportTextAction, &QAction::triggered, this, &MainWindow::exportText);
    connect(importTextAction, &QAction::triggered, this, &MainWindow::importText);
    connect(restorePointsButton, &QPushButton::clicked, this, &MainWindow::showRestorePoints);
    connect(englishBox, &QCheckBox::clicked, this, &MainWindow::switchLanguage);
    FollowCommands();

    // Centred on the screen until the ini file says otherwise.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

QRect MainWindow::At(int x, int y, int width, int height) const
{
    const auto scaled = [this](int v) { return static_cast<int>(std::lround(v * scale_)); };
    return QRect(scaled(x), scaled(y), scaled(width), scaled(height));
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        RestoreState();
        QTimer::singleShot(0, this, [this] { OfferCutOffWrite(); });
        if (!options_.openFile.isEmpty())
            QTimer::singleShot(0, this, [this] { OpenHandedFile(options_.openFile); });
    }
}

void MainWindow::RestoreState()
{
    link_.SetPortMode(0);
    std::string portProblem;
    std::string savedDevice;
    int savedNumber = 0;
    Language language = Language::Russian;
    {
        IniFile ini(options_.iniFile);
        // The saved language (Russian when none is saved) is the windows'
        // from here on, for what loading the port says too.
        language = LanguageOf(ini.ReadBool("Common", "EnglishVersion", false));
        SetWindowLanguage(language);
        savedDevice = ini.ReadString(link_.SectionName, "Device", "");
        savedNumber = ini.ReadInteger(link_.SectionName, "Port", 0);
        // With no free port the window still opens, and says so once.
        if (link_.FreePortCount == 0)
            portProblem = kNoFreePortText;
        try {
            link_.LoadSettings(ini, WindowLanguage());
        } catch (const Error& e) {
            portProblem = e.what();
        }
        verifyAfterWriteBox->setChecked(ini.ReadBool("Common", "VerifyWrite", true));
        ini.ReadFormPlacement("MainWindow", *this);
        SetLastFolder(ToQ(ini.ReadString("Common", "LastFolder", std::string())));
        recentFiles_.clear();
        for (int i = 1; i <= 8; ++i)
            if (const std::string f = ini.ReadString("RecentFiles", "File" + std::to_string(i), std::string()); !f.empty())
                recentFiles_ << ToQ(f);
    }
    // A window placed on a screen that is gone comes back to the middle.
    if (!QGuiApplication::screenAt(geometry().center()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    // A port other than the one asked for is never taken without a word: a
    // device given with --port is used or named as missing (and no other
    // port is used for it); a saved port that is missing or busy gives way
    // to the lowest free one, said in the status line.
    portNotice_ = {};
    if (!options_.portDevice.isEmpty()) {
        const int n = link_.AddDevicePath(options_.portDevice.toStdString());
        if (n > 0) {
            link_.PortNumber = static_cast<std::uint32_t>(n);
        } else {
            link_.PortNumber = 0;
            portNotice_ = {PortNotice::GivenPortMissing, options_.portDevice, 0, {}};
        }
    } else if (const int n = static_cast<int>(link_.PortNumber); n > 0) {
        const std::string used = link_.PortPath(n);
        const bool moved = !savedDevice.empty() ? used != savedDevice : savedNumber > 0 && savedNumber != n;
        if (moved)
            portNotice_ = {PortNotice::SavedPortMissing,
                           !savedDevice.empty() ? ToQ(savedDevice) : QStringLiteral("COM%1").arg(savedNumber), n, ToQ(used)};
    }
    access_.granted = true;
    link_.SetBaudRate(115200);
    link_.ClosePort();
    SettingsChanged = false;
    englishBox->setChecked(IsEnglish(language));
    ApplyLanguage(language);
    if (!portProblem.empty())
        ShowError(QString::fromStdString(portProblem));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (transferRunning_) {
        // The transfer owns the port and ends first: a read is cancelled, a
        // write (which cannot be stopped between sections) is waited for;
        // the window closes once it has ended.
        event->ignore();
        closeAfterTransfer_ = true;
        if (progress_)
            progress_->RequestStop();
        return;
    }
    // Cancel, or a save that did not happen, keeps the window open.
    if (!OfferToSaveChanges()) {
        event->ignore();
        return;
    }
    SaveState();
    event->accept();
}

bool MainWindow::OfferToSaveChanges()
{
    if (!SettingsChanged || EqualsLastSaved())
        return true;
    switch (AskYesNoCancel(UnsavedQuestion())) {
    case Answer::Yes:
        return SaveSettingsToFile();
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void MainWindow::NoteSaved()
{
    saved_ = true;
    savedCode_ = model_.DeviceModelCode;
    savedImage_ = model_.Image;
}

bool MainWindow::EqualsLastSaved() const
{
    return saved_ && savedCode_ == model_.DeviceModelCode && savedImage_ == model_.Image;
}

void MainWindow::SaveState()
{
    IniFile ini(options_.iniFile);
    // With no port in use (none free, or the one given with --port missing)
    // the saved port stays as it was for the next start.
    if (link_.PortNumber > 0)
        link_.SaveSettings(ini);
    ini.WriteBool("Common", "EnglishVersion", IsEnglish(WindowLanguage()));
    ini.WriteBool("Common", "VerifyWrite", verifyAfterWriteBox->isChecked());
    ini.WriteFormPlacement("MainWindow", *this);
    if (const QString folder = LastFolder(); !folder.isEmpty())
        ini.WriteString("Common", "LastFolder", folder.toStdString());
    for (int i = 1; i <= 8; ++i)
        ini.WriteString("RecentFiles", "File" + std::to_string(i), i <= recentFiles_.size() ? recentFiles_[i - 1].toStdString() : std::string());
    ini.UpdateFile();
}

void MainWindow::ApplyLanguage(Language language)
{
    ApplyQtLanguage(language);
    baseTitle_ = QTr(language, "Просмотр и настройка параметров МК (Версия 14.07.26)",
                     "Viewing and configuring trip computer parameters (Version 14.07.26)");
    SetCaptions({
        {firmwareWarning, "Внимание! Для правильной работы программы НЕОБХОДИМО предварительно загрузить в МК последнюю версию ПО.", "Attention! For the program to work correctly, you MUST first download the latest version of the software to the device."},
        {step1Box, "Шаг 1", "Step 1"},
        {readFromDeviceHint, "Для адекватного отображения возможных вариантов настроек считайте текущие настройки МК.", "For an adequate display of possible settings, read the current settings of the device."},
        {readFromDeviceButton, "Считать настройки из МК", "Read settings from the device"},
        {readFromFileHint, "или, если Вы ранее уже сохраняли настройки на диск, считайте файл с диска.", "or, if you have previously saved the settings to disk, read the file from disk."},
        {readFromFileButton, "Считать настройки из файла на диске", "Read settings from a file on disk"},
        {step2Box, "Шаг 2", "Step 2"},
        {editHint, "Произведите изменения настроек.", "Make changes to the settings."},
        {editButton, "Редактировать настройки", "Edit settings"},
        {journalsBox, "Шаг 2a", "Step 2a"},
        {journalsHint, "Просмотрите журналы поездок, заправок и ошибок", "View the logs of trips, gas stations and faults"},
        {viewJournalsButton, "Просмотреть журналы", "View logs"},
        {step3Box, "Шаг 3", "Step 3"},
        {saveHint, "Для возможности повторного просмотра или редактирования сохраните настройки на диск.", "To be able to view or edit the settings again, save the settings to disk."},
        {saveToFileButton, "Сохранить настройки в файл на диске", "Save the settings to a file on disk"},
        {step4Box, "Шаг 4", "Step 4"},
        {writeHint, "Запишите настройки в МК", "Write the settings to the device"},
        {writeToDeviceButton, "Записать настройки в МК", "Write the settings to the device"},
        {choosePortButton, "Выбрать СОМ-порт вручную", "Select the COM port manually"},
        {exportTextAction, "Экспорт в текст…", "Export as text…"},
        {importTextAction, "Импорт из текста…", "Import from text…"},
        {verifyAfterWriteBox, "Проверять настройки после записи в МК", "Check the settings after writing them to the device"},
        {restorePointsButton, "Точки восстановления…", "Restore points…"},
        {fileMenu, "&Файл", "&File"},
        {openAction, "&Открыть файл настроек…", "&Open a settings file…"},
        {recentMenu, "&Недавние файлы", "&Recent files"},
        {saveAction, "&Сохранить", "&Save"},
        {saveAsAction, "Сохранить &как…", "Save &as…"},
        {quitAction, "В&ыход", "&Quit"},
        {deviceMenu, "&МК", "&Device"},
        {readAction, "&Считать настройки из МК", "&Read settings from the device"},
        {writeAction, "&Записать настройки в МК", "&Write the settings to the device"},
        {restorePointsAction, "&Точки восстановления…", "Restore &points…"},
        {journalsAction, "&Журналы…", "&Logs…"},
        {portAction, "&COM-порт…", "&COM port…"},
        {settingsMenu, "&Настройки", "&Settings"},
        {editAction, "&Редактировать…", "&Edit…"},
        {compareAction, "&Сравнить с файлом…", "&Compare with a file…"},
        {helpMenu, "&Справка", "&Help"},
        {guideAction, "&Руководство пользователя", "&User's guide"},
        {shortcutsAction, "&Сочетания клавиш", "&Keyboard shortcuts"},
        {aboutAction, "&О программе", "&About"},
        {aboutQtAction, "О &Qt", "About &Qt"},
    }, language);
    textButton->setToolTip(QTr(language, "Настройки как текст (JSON)", "The settings as text (JSON)"));
    restorePointsButton->setToolTip(QTr(language, "Настройки МК, какими их застали прежние записи: загрузить или записать обратно",
                                        "The unit's settings as earlier writes found them: load one or write it back"));
    RefreshBars();
}

void MainWindow::EnableDependentButtons(bool enable)
{
    editButton->setEnabled(enable);
    viewJournalsButton->setEnabled(enable);
    saveToFileButton->setEnabled(enable);
    textButton->setEnabled(enable);
    writeToDeviceButton->setEnabled(enable);
}

void MainWindow::ShowLoadWarnings(const std::vector<std::string>& warnings)
{
    if (warnings.empty())
        return;
    QStringList lines;
    for (const auto& w : warnings)
        lines << ToQ(w);
    ShowError(lines.join('\n'));
}

bool MainWindow::LoadSettings(const std::string& path)
{
    // The one judgement the command line uses: a refused file leaves the
    // settings on hand as they were.
    std::optional<JudgedSettings> judged;
    if (!ReportFailure([&] { judged = LoadSettingsFile(path, WindowLanguage()); }))
        return false;
    const auto warnings = ApplySettings(model_, *judged, WindowLanguage());
    EnableDependentButtons(true);
    ShowLoadWarnings(warnings);
    return true;
}

QString MainWindow::PortNoticeText() const
{
    switch (portNotice_.kind) {
    case PortNotice::None:
        break;
    case PortNotice::GivenPortMissing:
        return QTr("Устройство %1, заданное параметром --port, не найдено; другой порт вместо него не используется.",
                   "The device %1 given with --port was not found; no other port is used in its place.")
            .arg(portNotice_.asked);
    case PortNotice::SavedPortMissing:
        return QTr("Сохранённый порт %1 отсутствует или занят; используется COM%2 (%3).",
                   "The saved port %1 is missing or busy; COM%2 (%3) is used instead.")
            .arg(portNotice_.asked)
            .arg(portNotice_.usedNumber)
            .arg(portNotice_.usedPath);
    }
    return {};
}

template <typename Work>
void MainWindow::RunTransfer(Work work)
{
    if (transferRunning_)
        return;
    if (link_.PortNumber == 0 && portNotice_.kind == PortNotice::GivenPortMissing) {
        ShowError(PortNoticeText());
        return;
    }
    transferRunning_ = true;
    controls_->setEnabled(false);
    ProgressWindow progress(this);
    progress_ = &progress;
    connect(&progress, &ProgressWindow::Progressed, this, &MainWindow::TransferProgress);
    progress.show();
    emit TransferStarted();
    struct Restore {
        MainWindow* form;
        ~Restore()
        {
            form->progress_ = nullptr;
            form->controls_->setEnabled(true);
            form->transferRunning_ = false;
        }
    } restore{this};
    work(progress);
    if (closeAfterTransfer_) {
        closeAfterTransfer_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void MainWindow::choosePort()
{
    if (transferRunning_)
        return;
    ReportFailure([this] {
        SelectPortNumber(link_, access_, this);
        link_.ClosePort();
        if (link_.PortNumber > 0)
            portNotice_ = {}; // the user chose: what the notice said no longer holds
    });
}

void MainWindow::readFromDevice()
{
    if (transferRunning_)
        return;
    // Cancel, or a Yes whose save did not happen, stops the read.
    if (!OfferToSaveChanges())
        return;
    RunTransfer([this](ProgressWindow& progress) {
        // Read into a separate model: a failed or cancelled read leaves the
        // settings on hand exactly as they were, and usable.
        SettingsModel fresh = model_;
        try {
            if (ReadDeviceSettings(link_, fresh, progress, options_.timing) == TransferResult::Cancelled)
                return;
            progress.hide();
            if (const auto problem = ImageProblem(fresh.Image, WindowLanguage()); !problem.empty()) {
                const std::string diagnostic = SaveDiagnosticImage(RestorePointStore().Folder() + "/diagnostics", fresh.DeviceModelCode, fresh.Image, WindowLanguage());
                ShowError(ToQ(DamagedReadText(problem, diagnostic, WindowLanguage())));
                return;
            }
            JudgedSettings judged{fresh.DeviceModelCode, fresh.Image, SettingsWarnings(fresh.DeviceModelCode, fresh.Image, WindowLanguage())};
            const auto warnings = ApplySettings(model_, judged, WindowLanguage());
            EnableDependentButtons(true);
            currentFile_.clear();
            ShowLoadWarnings(warnings);
        } catch (const TransferInterrupted&) {
            progress.hide(); // Cancel: the settings on hand are as they were
        } catch (const std::exception& e) {
            progress.hide();
            ShowError(TransferFailureText(e, progress));
        }
    });
}

void MainWindow::readFromFile()
{
    if (transferRunning_)
        return;
    if (const auto file = AskFileToOpen(SettingsFileQuestion))
        OpenSettingsFile(*file);
}

bool MainWindow::OpenSettingsFile(const QString& file)
{
    if (!LoadSettings(file.toStdString()))
        return false;
    NoteCurrentFile(file);
    return true;
}

void MainWindow::editSettings()
{
    if (transferRunning_
        || !InThisBuild(bool(RunEditor), QTr("Редактор настроек в этой сборке программы ещё не готов.",
                                             "The settings editor is not part of this build of the program yet.")))
        return;
    // The editor is modal: no other step, and so no transfer, starts while it is open.
    ReportFailure([this] {
        if (EditSettings(model_, WindowLanguage(), [this](EditSession& session) { return RunEditor(session, this); }))
            SettingsChanged = true;
    });
}

// The file goes through the one judgement a load uses, into a copy: the
// settings on hand are compared with it and stay exactly as they were.
void MainWindow::compareWithFile()
{
    if (transferRunning_ || !editButton->isEnabled())
        return;
    const auto file = AskFileToOpen(SettingsFileQuestion);
    if (!file)
        return;
    std::optional<JudgedSettings> judged;
    if (!ReportFailure([&] { judged = LoadSettingsFile(file->toStdString(), WindowLanguage()); }))
        return;
    ReportFailure([&] {
        SettingsModel other = model_;
        QStringList warnings;
        for (const std::string& w : ApplySettings(other, *judged, WindowLanguage()))
            warnings << ToQ(w);
        // The file before, the settings on hand after: the catalogs end evaluated for the settings on hand.
        const SettingsComparison c = CompareSettings(other, model_, WindowLanguage());
        if (c.Same() && warnings.isEmpty())
            ShowInfo(QTr("Настройки в файле \"%1\" те же, что в программе.", "The file \"%1\" holds the same settings as the program.")
                         .arg(QFileInfo(*file).fileName()));
        else
            AskTable(FileChangesQuestion(c, QFileInfo(*file).fileName(), warnings));
    });
}

void MainWindow::viewJournals()
{
    if (transferRunning_
        || !InThisBuild(bool(RunJournalViewer), QTr("Просмотр журналов в этой сборке программы ещё не готов.",
                                                    "The journal viewer is not part of this build of the program yet.")))
        return;
    ReportFailure([this] { model_.ViewJournals([this](SettingsModel& model) { return RunJournalViewer(model, this); }); });
}

void MainWindow::saveToFile()
{
    if (transferRunning_)
        return;
    SaveSettingsToFile();
}

bool MainWindow::SaveSettingsToFile()
{
    auto file = AskFile(SettingsFileQuestion(true, PreferredFolder(FolderUse::UserFiles)));
    if (!file)
        return false;
    if (QFileInfo(*file).suffix().isEmpty())
        *file += QStringLiteral(".qvetp");
    if (QFileInfo::exists(*file) && AskYesNo(QTr("Файл уже существует. Переписать?", "The file already exists. Rewrite it?")) != Answer::Yes)
        return false;
    if (!ReportFailure([&] { WriteSettingsFile(model_, file->toStdString(), WindowLanguage()); }))
        return false;
    NoteCurrentFile(*file);
    EnableDependentButtons(true);
    SettingsChanged = false;
    NoteSaved();
    return true;
}

void MainWindow::exportText()
{
    if (transferRunning_)
        return;
    auto file = AskFile(TextFileQuestion(true, PreferredFolder(FolderUse::UserFiles)));
    if (!file)
        return;
    if (QFileInfo(*file).suffix().isEmpty())
        *file += QStringLiteral(".json");
    if (QFileInfo::exists(*file) && AskYesNo(QTr("Файл уже существует. Переписать?", "The file already exists. Rewrite it?")) != Answer::Yes)
        return;
    ReportFailure([&] {
        const std::string text = ExportSettingsText(model_, WindowLanguage());
        WriteFileAtomically(file->toStdString(), std::vector<std::uint8_t>(text.begin(), text.end()), WindowLanguage());
    });
}

// Applies a text through the editor's checks onto the settings on hand; a
// refused text names its line and changes nothing.
void MainWindow::importText()
{
    if (transferRunning_)
        return;
    const auto file = AskFileToOpen(TextFileQuestion);
    if (!file)
        return;
    const bool applied = ReportFailure([&] {
        const auto bytes = ReadWholeFile(file->toStdString(), kMaxSettingsTextSize, WindowLanguage());
        ImportSettingsText(model_, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), WindowLanguage());
    });
    if (applied) {
        SettingsChanged = true;
        ShowInfo(QTr("Настройки из текста применены.", "The settings from the text have been applied."));
    }
}

void MainWindow::writeToDevice()
{
    if (transferRunning_)
        return;
    const RestorePoints restorePoints = RestorePointStore();
    WriteOptions writeOptions;
    writeOptions.verify = verifyAfterWriteBox->isChecked();
    bool unchanged = false;
    // The device's settings are read first: what the write would change is
    // shown, and nothing is written unless the user agrees. Only the
    // sections that differ are sent; "Write every section" sends them all.
    writeOptions.confirm = [this, &unchanged](std::span<const std::uint8_t> device, std::span<const std::uint8_t> next) {
        SettingsModel found = model_, toWrite = model_;
        found.Image.assign(device.begin(), device.end());
        toWrite.Image.assign(next.begin(), next.end());
        found.DecodeAll(WindowLanguage());
        toWrite.DecodeAll(WindowLanguage());
        const SettingsComparison c = CompareSettings(found, toWrite, WindowLanguage());
        if (c.Same()) {
            unchanged = true;
            return WriteScope::Nothing;
        }
        const QStringList buttons{QTr("Да", "Yes"), QTr("Записать все разделы", "Write every section"), QTr("Нет", "No")};
        switch (AskTableChoice(WriteChangesQuestion(c), buttons, 2)) {
        case 0: return WriteScope::Changed;
        case 1: return WriteScope::Every;
        default: return WriteScope::Nothing;
        }
    };
    std::string stoppedWrite; // the restore point of a write that stopped half way
    RunTransfer([&](ProgressWindow& progress) {
        // The write reads the device's settings into the model it is given:
        // it works on a copy, which becomes the settings on hand only once
        // the write began sending; a failed or cancelled restore-point read
        // leaves the model's code, image and records exactly as they were.
        SettingsModel work = model_;
        WriteSummary summary;
        try {
            const TransferResult result = WriteDeviceSettings(link_, work, progress, restorePoints, options_.timing, writeOptions, &summary);
            if (result == TransferResult::Unchanged)
                unchanged = true;
            if (result != TransferResult::Done)
                return;
            model_ = std::move(work);
            progress.hide();
            ShowInfo(ToQ(WriteDoneText(progress.language) + "\n" + SectionsWrittenText(summary, progress.language) + "\n\n"
                         + RestorePointSavedText(progress.RestorePoint, progress.language)));
        } catch (const WriteIncomplete& e) {
            model_ = std::move(work);
            progress.hide();
            ShowFailure(e);
            stoppedWrite = e.restorePoint;
        } catch (const TransferInterrupted&) {
            progress.hide(); // Cancel during the restore-point read
            ShowInfo(ToQ(NothingWrittenText({}, progress.language)));
        } catch (const std::exception& e) {
            progress.hide();
            ShowError(TransferFailureText(e, progress));
        }
    });
    if (unchanged)
        ShowInfo(ToQ(AlreadyHeldText(WindowLanguage())));
    if (!stoppedWrite.empty())
        OfferRestore(stoppedWrite);
}

void MainWindow::OfferRestore(const std::string& restorePoint)
{
    const QString path = ToQ(restorePoint);
    if (AskYesNo(QTr("Восстановить прежние настройки? Настройки из точки восстановления \"%1\" будут загружены в программу вместо текущих.",
                     "Restore the previous settings? The settings of the restore point \"%1\" are loaded into the program in place of "
                     "the current ones.")
                     .arg(path))
        != Answer::Yes)
        return;
    if (!LoadRestorePoint(restorePoint))
        return;
    if (AskYesNo(QTr("Записать прежние настройки в МК сейчас?", "Write the previous settings to the device now?")) == Answer::Yes)
        writeToDevice();
}

void MainWindow::OfferCutOffWrite()
{
    if (transferRunning_)
        return;
    std::optional<WriteInProgress> cut;
    try {
        cut = RestorePointStore().CutOffWrite();
    } catch (const std::exception&) {
        return;
    }
    if (!cut)
        return;
    if (AskYesNo(ToQ(CutOffWriteText(*cut, WindowLanguage())) + QStringLiteral("\n\n")
                 + QTr("Записать эти настройки в МК сейчас?", "Write these settings back to the device now?"))
        != Answer::Yes)
        return;
    // Loaded as any restore point, then written the ordinary way.
    if (LoadRestorePoint(cut->lastWhole))
        writeToDevice();
}

RestorePoints MainWindow::RestorePointStore() const
{
    // Each point notes the serial device of the unit it came from.
    const std::string unit = link_.PortNumber > 0 ? link_.PortPath(static_cast<int>(link_.PortNumber)) : std::string();
    return RestorePoints(options_.restorePointFolder.isEmpty() ? RestorePoints::DefaultFolder() : options_.restorePointFolder.toStdString(),
                         unit, WindowLanguage());
}

bool MainWindow::LoadRestorePoint(const std::string& restorePoint)
{
    if (!OfferToSaveChanges())
        return false;
    if (!LoadSettings(restorePoint))
        return false;
    SettingsChanged = false;
    currentFile_.clear(); // "Save" asks for a file: a restore point is not overwritten
    return true;
}

void MainWindow::showRestorePoints()
{
    if (transferRunning_)
        return;
    const RestorePoints store = RestorePointStore();
    RestorePointsDialog dialog(store.List(), ToQ(store.Folder()), this);
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen() == RestorePointsDialog::Choice::None)
        return;
    // The point is loaded as the current settings; a write then sends them
    // the ordinary way, with a restore point of its own.
    if (LoadRestorePoint(dialog.ChosenPath()) && dialog.Chosen() == RestorePointsDialog::Choice::Write)
        writeToDevice();
}

void MainWindow::switchLanguage()
{
    const Language language = LanguageOf(englishBox->isChecked());
    SetWindowLanguage(language);
    ApplyLanguage(language);
}

void MainWindow::bringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace tc::ui
