#pragma once

#include "window/pages/page_services.h"

#include <QObject>

namespace tessa {

// The row of device buttons above the pages: "讀取參數" (Command30), "讀取位置" (Command26),
// "讀取轉速" (Command23), "讀取程式" (Command22) and the parameter download "傳送參數"
// (Command56).
class MotionCommandBar : public QObject {
    Q_OBJECT
public:
    MotionCommandBar(const PageServices& services, QWidget& form);

    void Command30_Click();
    void Command26_Click();
    void Command23_Click();
    void Command22_Click();
    void Command56_Click();

private:
    PageServices services_;
};

}  // namespace tessa
