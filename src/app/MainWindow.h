#pragma once
// MainWindow: the main window with its numbered steps: choose the port, read
// the settings (device or file), edit, view journals, save, write back.
#include "common/Language.h"
#include "editor/EditSession.h"
#include "link/DeviceLink.h"
#include "link/Transfers.h"
#include "link/ui/PasswordDialog.h"
#include "model/SettingsModel.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QMenu;
class QMenuBar;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class QAction;

namespace tc::ui {

class ProgressWindow;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    struct Options {
        QString iniFile;    // the application's ini file
        QString portDevice; // an explicit serial device to use instead of the saved port
        QString restorePointFolder; // where writes keep the device's previous settings (empty: the user's data folder)
        TransferTiming timing;      // reply timeouts of the transfers
        QString openFile;           // a settings file to open once the window is shown (the command line's FILE)
    };

    MainWindow(DeviceLink& link, SettingsModel& model, Options options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings editor and the journal viewer dialogs, run inside the
    // model's edit procedure (on its edit session) and journal procedure;
    // each returns true on OK. Unset, the buttons say that the part is not
    // available in this build.
    std::function<bool(EditSession&, QWidget*)> RunEditor;
    std::function<bool(SettingsModel&, QWidget*)> RunJournalViewer;

    // The window's widgets, in the order of its steps.
    QLabel* firmwareWarning = nullptr;
    QPushButton* choosePortButton = nullptr;
    QGroupBox* step1Box = nullptr;
    QLabel* readFromDeviceHint = nullptr;
    QPushButton* readFromDeviceButton = nullptr;
    QLabel* readFromFileHint = nullptr;
    QPushButton* readFromFileButton = nullptr;
    QGroupBox* step2Box = nullptr;
    QLabel* editHint = nullptr;
    QPushButton* editButton = nullptr;
    QGroupBox* journalsBox = nullptr; // "Step 2a"
    QLabel* journalsHint = nullptr;
    QPushButton* viewJournalsButton = nullptr;
    QGroupBox* step3Box = nullptr;
    QLabel* saveHint = nullptr;
    QPushButton* saveToFileButton = nullptr;
    // Beside the save button: the settings as text (JSON), out and back in.
    QToolButton* textButton = nullptr;
    QAction* exportTextAction = nullptr;
    QAction* importTextAction = nullptr;
    QGroupBox* step4Box = nullptr;
    QLabel* writeHint = nullptr;
    QPushButton* writeToDeviceButton = nullptr;
    // Read the written sections back and compare them (ini "Common"/"VerifyWrite").
    QCheckBox* verifyAfterWriteBox = nullptr;
    QCheckBox* englishBox = nullptr;
    // The restore points of earlier writes: load one, or write it back.
    QPushButton* restorePointsButton = nullptr;
    QLabel* emblem = nullptr;

    // The menu bar: the steps' commands with their shortcuts, and help.
    QMenuBar* menuBar = nullptr;
    QMenu* fileMenu = nullptr;
    QAction* openAction = nullptr;
    QMenu* recentMenu = nullptr;
    QAction* saveAction = nullptr;   // to the file the settings came from, else asks
    QAction* saveAsAction = nullptr;
    QAction* quitAction = nullptr;
    QMenu* deviceMenu = nullptr;
    QAction* readAction = nullptr;
    QAction* writeAction = nullptr;
    QAction* restorePointsAction = nullptr;
    QAction* journalsAction = nullptr;
    QAction* portAction = nullptr;
    QMenu* settingsMenu = nullptr;
    QAction* editAction = nullptr;
    // The settings on hand beside those of a file, read-only: nothing changes.
    QAction* compareAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* guideAction = nullptr;
    QAction* shortcutsAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* aboutQtAction = nullptr;
    // Port (and whether it is there), device model, file name and a modified mark.
    QLabel* statusLine = nullptr;

    // Loads a settings file as "Read settings from a file" does; true when loaded.
    bool OpenSettingsFile(const QString& file);
    // The file the current settings were read from or saved to (empty: none).
    const QString& CurrentFile() const { return currentFile_; }
    const QStringList& RecentFiles() const { return recentFiles_; }

    // Opens a file handed over by a second start or dropped on the window as
    // OpenSettingsFile does, unless the window is busy: then the status line
    // says why and nothing changes. True when loaded.
    bool OpenHandedFile(const QString& file);
    // A transfer runs, or a modal dialog (the settings editor, the journal viewer, a question) is open.
    bool Busy() const;

    bool SettingsChanged = false;
    bool TransferRunning() const { return transferRunning_; }
    // The progress window of the running transfer, else nullptr.
    ProgressWindow* Progress() const { return progress_; }

public slots:
    void choosePort();
    void readFromDevice();
    void readFromFile();
    void editSettings();
    void compareWithFile();
    void viewJournals();
    void saveToFile();
    void exportText();
    void importText();
    void writeToDevice();
    void showRestorePoints();
    void switchLanguage();
    void bringToFront();
    void saveToCurrentFile();
    void showShortcuts();
    void showAbout();

signals:
    // A transfer began (its progress window is shown) and its gauge moved.
    void TransferStarted();
    void TransferProgress(int percent);

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    // A place of the drawn design, in proportion to the window's font.
    QRect At(int x, int y, int width, int height) const;
    // Refreshes the status line and the menus after each command (after its own connections).
    void FollowCommands();
    void RefreshBars();
    void RefreshRecentMenu();
    void NoteCurrentFile(const QString& file);
    void RefreshStatus();
    void RestoreState();
    // The unsaved-changes question: true to go on (No, or Yes and the save
    // happened), false to stop (Cancel, Esc, the close box, or a Yes whose
    // save did not happen). Not asked when the settings equal, byte for
    // byte, what was last saved to disk.
    bool OfferToSaveChanges();
    // The settings as last saved to disk (model code and image).
    void NoteSaved();
    bool EqualsLastSaved() const;
    void SaveState();
    // Every caption, menu entry and Qt's own texts in the given language.
    void ApplyLanguage(Language language);
    bool SaveSettingsToFile();
    void EnableDependentButtons(bool enable);
    // Shows what a load or read accepted but warns of, one line each.
    void ShowLoadWarnings(const std::vector<std::string>& warnings);
    // Loads a settings file through the one judgement (LoadSettingsFile);
    // false, with the settings on hand untouched, when it is refused.
    bool LoadSettings(const std::string& path);
    // After a write that stopped half way: load the restore point and offer to write it.
    void OfferRestore(const std::string& restorePoint);
    // At start: a write to the chosen port that an earlier run left cut off
    // is said, and its unit's last whole settings offered for writing back.
    void OfferCutOffWrite();
    // Loads a restore point (after offering to save unsaved changes), as a settings file is loaded.
    bool LoadRestorePoint(const std::string& restorePoint);
    RestorePoints RestorePointStore() const;
    // Runs one device transfer with its progress window; the window's other
    // commands are blocked meanwhile.
    template <typename Work>
    void RunTransfer(Work work);

    DeviceLink& link_;
    SettingsModel& model_;
    Options options_;
    AccessGrant access_; // the password step's grant, kept for the run
    QWidget* controls_ = nullptr;
    double scale_ = 1.0;
    ProgressWindow* progress_ = nullptr;
    bool shown_ = false;
    bool transferRunning_ = false;
    bool closeAfterTransfer_ = false; // the window was closed during a transfer
    bool saved_ = false;
    std::uint16_t savedCode_ = 0;
    std::vector<std::uint8_t> savedImage_;
    QString baseTitle_;
    QString currentFile_;
    // Said in the status line, with a way to the port dialog, until a port
    // is chosen: the saved port was missing or busy and another is used, or
    // the --port device is missing (then no port is used and transfers refuse).
    struct PortNotice {
        enum Kind { None, GivenPortMissing, SavedPortMissing } kind = None;
        QString asked;
        int usedNumber = 0;
        QString usedPath;
    } portNotice_;
    QString PortNoticeText() const;
    QStringList recentFiles_;
};

} // namespace tc::ui
