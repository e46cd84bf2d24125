#pragma once
// The restore points of earlier writes, newest first, with the two things a
// user does with one: load it into the program, or write it back to the unit.
#include "model/RestorePoints.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tc::ui {

class RestorePointsDialog : public QDialog {
    Q_OBJECT
public:
    enum class Choice { None, Load, Write };

    // points as RestorePoints::List gives them (oldest first); folder is
    // named when there are none.
    RestorePointsDialog(std::vector<RestorePoint> points, const QString& folder, QWidget* parent = nullptr);

    // After exec(): what the user chose and the file of the chosen point.
    Choice Chosen() const { return chosen_; }
    const std::string& ChosenPath() const { return chosenPath_; }
    // The points in the order of the table's rows (newest first).
    const std::vector<RestorePoint>& Points() const { return points_; }

    QLabel* folderLabel = nullptr;
    QTableWidget* table = nullptr;
    QPushButton* loadButton = nullptr;
    QPushButton* writeButton = nullptr;
    QPushButton* closeButton = nullptr;

private:
    void Choose(Choice choice);
    void UpdateButtons();

    std::vector<RestorePoint> points_;
    Choice chosen_ = Choice::None;
    std::string chosenPath_;
};

// "0xC000 name" for a listed device model, "0xC000" otherwise.
QString ModelCaption(std::uint16_t modelCode);

} // namespace tc::ui
