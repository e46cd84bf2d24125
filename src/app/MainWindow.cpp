#include "app/MainWindow.h"

#include "app/IniFile.h"
#include "app/Messages.h"
#include "app/ProgressWindow.h"
#include "common/Language.h"
#include "link/Transfers.h"
#include "link/ui/PasswordDialog.h"
#include "link/ui/PortDialog.h"
#include "model/SettingsFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

namespace tc::ui {

namespace {

QString T(const char* russian, const char* english)
{
    return QString::fromUtf8(EnglishVersion ? english : russian);
}

QString UnsavedQuestion()
{
    return T("Возможно, настройки были изменены, но не сохранены на диске. Сохранить?",
             "It is possible that the settings were changed, but not saved to disk. Save it?");
}

QPushButton* MakeButton(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, w, h);
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    b->setAutoDefault(false);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, w, h);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* g = new QGroupBox(parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(x, y, w, h);
    // Bold title, normal text inside.
    g->setStyleSheet(QStringLiteral("QGroupBox#%1 { font-weight: bold; }").arg(QString::fromLatin1(name)));
    return g;
}

// Runs one user action and shows its error, the one place errors of an action end.
template <typename Action>
bool ReportErrors(Action action)
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return false;
    }
}

// The open and save dialogs of settings files. Both extensions are listed:
// files are saved as .qvetp and must show up when they are loaded back.
FileQuestion SettingsFileQuestion(bool save, const QString& folder)
{
    FileQuestion q;
    q.save = save;
    q.folder = folder;
    q.filter = QStringLiteral("Файлы настроек (*.qvetg *.qvetp);;%1 (*)").arg(T("Все файлы", "All files"));
    q.defaultSuffix = QStringLiteral("qvetp");
    return q;
}

// A small picture of a trip computer's screen for the corner of the window.
QPixmap Emblem()
{
    QPixmap pixmap(240, 40);
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
    p.drawText(QRectF(70, 0, 170, 40), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("tripconf"));
    return pixmap;
}

} // namespace

MainWindow::MainWindow(DeviceLink& link, SettingsModel& model, Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      link_(link), model_(model), options_(std::move(options))
{
    setObjectName(QStringLiteral("MainWindow"));
    setFixedSize(810, 384);
    controls_ = new QWidget(this);
    controls_->setGeometry(0, 0, 810, 384);
    QWidget* c = controls_;

    Label5 = MakeLabel(c, "Label5", 8, 8, 393, 49);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    bRS232 = MakeButton(c, "bRS232", 8, 72, 393, 25);

    GroupBox1 = MakeGroup(c, "GroupBox1", 8, 112, 393, 177);
    Label2 = MakeLabel(GroupBox1, "Label2", 40, 16, 313, 49);
    bGetParams = MakeButton(GroupBox1, "bGetParams", 8, 64, 377, 25);
    Label6 = MakeLabel(GroupBox1, "Label6", 40, 104, 313, 33);
    bLoadParams = MakeButton(GroupBox1, "bLoadParams", 8, 144, 377, 25);

    GroupBox2 = MakeGroup(c, "GroupBox2", 8, 296, 393, 81);
    Label3 = MakeLabel(GroupBox2, "Label3", 40, 16, 313, 25);
    bEditParams = MakeButton(GroupBox2, "bEditParams", 8, 48, 377, 25);

    GroupBox5 = MakeGroup(c, "GroupBox5", 408, 25, 393, 81);
    Label7 = MakeLabel(GroupBox5, "Label7", 40, 16, 313, 25);
    bViewJournals = MakeButton(GroupBox5, "bViewJournals", 8, 48, 377, 25);

    GroupBox3 = MakeGroup(c, "GroupBox3", 408, 120, 393, 89);
    Label4 = MakeLabel(GroupBox3, "Label4", 40, 16, 313, 33);
    bSaveParams = MakeButton(GroupBox3, "bSaveParams", 8, 56, 377, 25);

    GroupBox4 = MakeGroup(c, "GroupBox4", 408, 216, 393, 81);
    Label1 = MakeLabel(GroupBox4, "Label1", 40, 16, 313, 25);
    bSetParams = MakeButton(GroupBox4, "bSetParams", 8, 48, 377, 25);

    cbEnglishVersion = new QCheckBox(QStringLiteral("English language"), c);
    cbEnglishVersion->setObjectName(QStringLiteral("cbEnglishVersion"));
    cbEnglishVersion->setGeometry(672, 8, 129, 17);

    Image1 = new QLabel(c);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(560, 328, 240, 40);
    Image1->setPixmap(Emblem());
    Image1->setScaledContents(true);

    // The Russian captions until the window is shown and its ini file read;
    // the port button keeps the form's own caption until then.
    const bool english = EnglishVersion;
    EnglishVersion = false;
    ApplyLanguage();
    EnglishVersion = english;
    bRS232->setText(QStringLiteral("Выбрать СОМ-порт"));

    EnableDependentButtons(false);

    // Tab order follows the steps.
    QWidget::setTabOrder(bRS232, bGetParams);
    QWidget::setTabOrder(bGetParams, bLoadParams);
    QWidget::setTabOrder(bLoadParams, bEditParams);
    QWidget::setTabOrder(bEditParams, bViewJournals);
    QWidget::setTabOrder(bViewJournals, bSaveParams);
    QWidget::setTabOrder(bSaveParams, bSetParams);
    QWidget::setTabOrder(bSetParams, cbEnglishVersion);

    connect(bRS232, &QPushButton::clicked, this, &MainWindow::bRS232Click);
    connect(bGetParams, &QPushButton::clicked, this, &MainWindow::bGetParamsClick);
    connect(bLoadParams, &QPushButton::clicked, this, &MainWindow::bLoadParamsClick);
    connect(bEditParams, &QPushButton::clicked, this, &MainWindow::bEditParamsClick);
    connect(bViewJournals, &QPushButton::clicked, this, &MainWindow::bViewJournalsClick);
    connect(bSaveParams, &QPushButton::clicked, this, &MainWindow::bSaveParamsClick);
    connect(bSetParams, &QPushButton::clicked, this, &MainWindow::bSetParamsClick);
    connect(cbEnglishVersion, &QCheckBox::clicked, this, &MainWindow::cbEnglishVersionClick);

    // Centred on the screen until the ini file says otherwise.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void MainWindow::FormShow()
{
    link_.SetPortMode(0);
    EnglishVersion = false;
    {
        IniFile ini(options_.iniFile);
        link_.LoadSettings(ini);
        EnglishVersion = ini.ReadBool("Common", "EnglishVersion", EnglishVersion);
        ini.ReadFormPlacement("MainWindow", *this);
    }
    // A window placed on a screen that is gone comes back to the middle.
    if (!QGuiApplication::screenAt(geometry().center()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    if (!options_.portDevice.isEmpty()) {
        const int n = link_.AddDevicePath(options_.portDevice.toStdString());
        if (n > 0)
            link_.PortNumber = static_cast<std::uint32_t>(n);
    }
    AccessGranted = true;
    lastFolder_ = DialogFolder();
    link_.SetBaudRate(115200);
    link_.SetActive(false);
    SettingsChanged = false;
    cbEnglishVersion->setChecked(EnglishVersion);
    ApplyLanguage();
}

QString MainWindow::DialogFolder() const
{
    // The program's folder when the user may write there, else the documents folder.
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo(programFolder).isWritable())
        return programFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (transferRunning_) {
        // The transfer owns the port; it ends first (Cancel while connecting).
        event->ignore();
        return;
    }
    FormCloseQuery();
    FormClose();
    event->accept();
}

bool MainWindow::FormCloseQuery()
{
    if (SettingsChanged && AskYesNo(UnsavedQuestion()) == Answer::Yes)
        SaveSettingsToFile();
    return true;
}

void MainWindow::FormClose()
{
    IniFile ini(options_.iniFile);
    link_.SaveSettings(ini);
    ini.WriteBool("Common", "EnglishVersion", EnglishVersion);
    ini.WriteFormPlacement("MainWindow", *this);
    ini.UpdateFile();
}

void MainWindow::ApplyLanguage()
{
    setWindowTitle(T("Просмотр и настройка параметров МК (Версия 14.07.26)",
                     "Viewing and configuring trip computer parameters (Version 14.07.26)"));
    Label5->setText(T("Внимание! Для правильной работы программы НЕОБХОДИМО предварительно загрузить в МК последнюю версию ПО.",
                      "Attention! For the program to work correctly, you MUST first download the latest version of the software to the device."));
    GroupBox1->setTitle(T("Шаг 1", "Step 1"));
    Label2->setText(T("Для адекватного отображения возможных вариантов настроек считайте текущие настройки МК.",
                      "For an adequate display of possible settings, read the current settings of the device."));
    bGetParams->setText(T("Считать настройки из МК", "Read settings from the device"));
    Label6->setText(T("или, если Вы ранее уже сохраняли настройки на диск, считайте файл с диска.",
                      "or, if you have previously saved the settings to disk, read the file from disk."));
    bLoadParams->setText(T("Считать настройки из файла на диске", "Read settings from a file on disk"));
    GroupBox2->setTitle(T("Шаг 2", "Step 2"));
    Label3->setText(T("Произведите изменения настроек.", "Make changes to the settings."));
    bEditParams->setText(T("Редактировать настройки", "Edit settings"));
    GroupBox5->setTitle(T("Шаг 2a", "Step 2a"));
    Label7->setText(T("Просмотрите журналы поездок, заправок и ошибок", "View the logs of trips, gas stations and faults"));
    bViewJournals->setText(T("Просмотреть журналы", "View logs"));
    GroupBox3->setTitle(T("Шаг 3", "Step 3"));
    Label4->setText(T("Для возможности повторного просмотра или редактирования сохраните настройки на диск.",
                      "To be able to view or edit the settings again, save the settings to disk."));
    bSaveParams->setText(T("Сохранить настройки в файл на диске", "Save the settings to a file on disk"));
    GroupBox4->setTitle(T("Шаг 4", "Step 4"));
    Label1->setText(T("Запишите настройки в МК", "Write the settings to the device"));
    bSetParams->setText(T("Записать настройки в МК", "Write the settings to the device"));
    bRS232->setText(T("Выбрать СОМ-порт вручную", "Select the COM port manually"));
}

void MainWindow::EnableDependentButtons(bool enable)
{
    bEditParams->setEnabled(enable);
    bViewJournals->setEnabled(enable);
    bSaveParams->setEnabled(enable);
    bSetParams->setEnabled(enable);
}

void MainWindow::DecodeAllSections()
{
    const auto problems = model_.DecodeAll();
    if (problems.empty())
        return;
    QStringList lines;
    for (const auto& p : problems)
        lines << QString::fromStdString(p);
    ShowError(lines.join('\n'));
}

template <typename Work>
void MainWindow::RunTransfer(Work work)
{
    if (transferRunning_)
        return;
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
}

void MainWindow::bRS232Click()
{
    if (transferRunning_)
        return;
    SelectPortNumber(link_, this);
    link_.SetActive(false);
}

void MainWindow::bGetParamsClick()
{
    if (transferRunning_)
        return;
    if (SettingsChanged && AskYesNo(UnsavedQuestion()) == Answer::Yes)
        SaveSettingsToFile();
    RunTransfer([this](ProgressWindow& progress) {
        try {
            if (ReadDeviceSettings(link_, model_, progress) == TransferResult::Cancelled)
                return;
            EnableDependentButtons(true);
            progress.hide();
            DecodeAllSections();
        } catch (const std::exception& e) {
            progress.hide();
            ShowError(QString::fromStdString(e.what()));
            EnableDependentButtons(false);
        }
    });
}

void MainWindow::bLoadParamsClick()
{
    if (transferRunning_)
        return;
    const auto file = AskFile(SettingsFileQuestion(false, lastFolder_));
    if (!file)
        return;
    lastFolder_ = QFileInfo(*file).absolutePath();
    const bool loaded = ReportErrors([&] { ReadSettingsFile(model_, file->toStdString()); });
    EnableDependentButtons(loaded);
    if (loaded)
        DecodeAllSections();
}

void MainWindow::bEditParamsClick()
{
    if (transferRunning_)
        return;
    if (!RunEditor) {
        ShowInfo(T("Редактор настроек в этой сборке программы ещё не готов.",
                   "The settings editor is not part of this build of the program yet."));
        return;
    }
    ReportErrors([this] {
        if (model_.Edit([this](SettingsModel& model) { return RunEditor(model, this); }))
            SettingsChanged = true;
    });
}

void MainWindow::bViewJournalsClick()
{
    if (transferRunning_)
        return;
    if (!RunJournalViewer) {
        ShowInfo(T("Просмотр журналов в этой сборке программы ещё не готов.",
                   "The journal viewer is not part of this build of the program yet."));
        return;
    }
    ReportErrors([this] { model_.ViewJournals([this](SettingsModel& model) { return RunJournalViewer(model, this); }); });
}

void MainWindow::bSaveParamsClick()
{
    if (transferRunning_)
        return;
    SaveSettingsToFile();
}

bool MainWindow::SaveSettingsToFile()
{
    auto file = AskFile(SettingsFileQuestion(true, lastFolder_));
    if (!file)
        return false;
    if (QFileInfo(*file).suffix().isEmpty())
        *file += QStringLiteral(".qvetp");
    if (QFileInfo::exists(*file) && AskYesNo(T("Файл уже существует. Переписать?", "The file already exists. Rewrite it?")) != Answer::Yes)
        return false;
    lastFolder_ = QFileInfo(*file).absolutePath();
    if (!ReportErrors([&] { WriteSettingsFile(model_, file->toStdString()); }))
        return false;
    EnableDependentButtons(true);
    SettingsChanged = false;
    return true;
}

void MainWindow::bSetParamsClick()
{
    if (transferRunning_)
        return;
    RunTransfer([this](ProgressWindow& progress) {
        try {
            if (WriteDeviceSettings(link_, model_, progress) == TransferResult::Cancelled)
                return;
            progress.hide();
            ShowInfo(QString::fromStdString(WriteDoneText()));
        } catch (const std::exception& e) {
            progress.hide();
            ShowError(QString::fromStdString(e.what()));
        }
    });
}

void MainWindow::cbEnglishVersionClick()
{
    EnglishVersion = cbEnglishVersion->isChecked();
    ApplyLanguage();
}

void MainWindow::BringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace tc::ui
