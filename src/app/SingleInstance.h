#pragma once
// SingleInstance: the single-instance guard, named after the program file. The
// first copy holds a lock file and listens on a local socket; a second copy
// finds the lock taken, asks the first to bring its window to the front, and
// ends at once.
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace tc::ui {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // name: the program file's name, e.g. "tripconf"; folder: where the lock lies.
    explicit SingleInstance(const QString& name, const QString& folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only running copy. Otherwise the running copy has
    // been asked to come to the front.
    bool IsFirst() const { return first_; }

signals:
    // A second copy was started: the running window should come to the front.
    void Activate();

private:
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool first_ = false;
};

} // namespace tc::ui
