#pragma once
// MainWindow: the main window with its numbered steps: choose the port, read
// the settings (device or file), edit, view journals, save, write back.
#include "link/DeviceLink.h"
#include "model/SettingsModel.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace tc::ui {

class ProgressWindow;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    struct Options {
        QString iniFile;    // the application's ini file
        QString portDevice; // an explicit serial device to use instead of the saved port
    };

    MainWindow(DeviceLink& link, SettingsModel& model, Options options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings editor and the journal viewer dialogs, run inside the
    // model's edit and journal procedures; each returns true on OK. Unset,
    // the buttons say that the part is not available in this build.
    std::function<bool(SettingsModel&, QWidget*)> RunEditor;
    std::function<bool(SettingsModel&, QWidget*)> RunJournalViewer;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* bRS232 = nullptr;
    QPushButton* bGetParams = nullptr;
    QPushButton* bLoadParams = nullptr;
    QPushButton* bEditParams = nullptr;
    QPushButton* bViewJournals = nullptr;
    QPushButton* bSaveParams = nullptr;
    QPushButton* bSetParams = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QCheckBox* cbEnglishVersion = nullptr;
    QLabel* Image1 = nullptr;

    bool SettingsChanged = false;
    bool TransferRunning() const { return transferRunning_; }
    // The progress window of the running transfer, else nullptr.
    ProgressWindow* Progress() const { return progress_; }

public slots:
    void bRS232Click();
    void bGetParamsClick();
    void bLoadParamsClick();
    void bEditParamsClick();
    void bViewJournalsClick();
    void bSaveParamsClick();
    void bSetParamsClick();
    void cbEnglishVersionClick();
    void BringToFront();

signals:
    // A transfer began (its progress window is shown) and its gauge moved.
    void TransferStarted();
    void TransferProgress(int percent);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void ApplyLanguage();
    bool SaveSettingsToFile();
    void EnableDependentButtons(bool enable);
    void DecodeAllSections();
    QString DialogFolder() const;
    // Runs one device transfer with its progress window; the window's other
    // commands are blocked meanwhile.
    template <typename Work>
    void RunTransfer(Work work);

    DeviceLink& link_;
    SettingsModel& model_;
    Options options_;
    QWidget* controls_ = nullptr;
    ProgressWindow* progress_ = nullptr;
    bool shown_ = false;
    bool transferRunning_ = false;
    QString lastFolder_;
};

} // namespace tc::ui
