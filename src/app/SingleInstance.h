#pragma once
// SingleInstance: the single-instance guard, named after the program file. The
// first copy holds a lock file and listens on a local socket; a second copy
// finds the lock taken, asks the first to bring its window to the front (and
// hands it the file it was started with, if any), and ends at once. The
// message is "activate", then on a second line the file's absolute path.
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace tc::ui {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // name: the program file's name, e.g. "tripconf"; folder: where the lock lies;
    // file: what a second copy hands to the first to open (empty: nothing).
    explicit SingleInstance(const QString& name, const QString& folder = {}, QObject* parent = nullptr, const QString& file = {});
    ~SingleInstance() override;

    // True when this is the only running copy. Otherwise the running copy has
    // been asked to come to the front.
    bool IsFirst() const { return first_; }

signals:
    // A second copy was started: the running window should come to the front.
    void Activate();
    // ... and was started with this file to open.
    void OpenFile(const QString& file);

private:
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool first_ = false;
};

} // namespace tc::ui
