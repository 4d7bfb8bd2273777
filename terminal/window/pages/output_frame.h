#pragma once

#include "window/pages/page_services.h"

#include <QGroupBox>
#include <array>

class QCheckBox;

namespace tessa {

// The frame "輸出" (Frame4) on the page "其他測試": the outputs Out 0..Out 3 (Check5..Check8)
// switched on ("Outon", Command53) or off ("Outoff", Command54).
class OutputFrame : public QGroupBox {
    Q_OBJECT
public:
    OutputFrame(const PageServices& services, QWidget* page);

    void Command53_Click();
    void Command54_Click();

private:
    void sendOutputPattern(const QByteArray& prefix);

    PageServices services_;
    std::array<QCheckBox*, 4> outputChecks_ {};
};

}  // namespace tessa
