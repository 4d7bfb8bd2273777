#pragma once

#include "window/pages/page_services.h"

#include <QHash>
#include <QWidget>
#include <array>

class QLineEdit;

namespace tessa {

class FilledShape;

// The page "其他測試": eight command rows (a command line and an ID each, with a lamp), the
// encoder and "sabs" lines, "Test", the received-text file, and the frames "狀態查詢"
// (StatusQueryFrame) and "輸出" (OutputFrame).
class OtherTestsPage : public QWidget {
    Q_OBJECT
public:
    explicit OtherTestsPage(const PageServices& services);

    // The boxes whose values are stored, by settings key.
    QHash<QString, QLineEdit*> storedBoxes() const;

    void commandRow_Click(int row);  // Command27, 32, 34, 36, 45, 47, 49, 51 (rows 1..8)
    void Command29_Click();
    void Command55_Click();
    void Command40_Click();
    void Command28_Click();

private:
    void createControls();
    void sendValueLine(const QByteArray& prefix, QLineEdit* box, const QString& key);

    PageServices services_;
    std::array<QLineEdit*, 8> commandBoxes_ {};
    std::array<QLineEdit*, 8> idBoxes_ {};
    std::array<FilledShape*, 8> Shape1 {};
    QLineEdit* Text16 = nullptr;
    QLineEdit* Text25 = nullptr;
};

}  // namespace tessa
