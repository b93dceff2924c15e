// gui: the identification window (frmIdentification): the ECU's part numbers,
// versions and date as the session read them, eight lines top to bottom.
#pragma once

#include <QDialog>
#include <array>
#include <string>

namespace dravio::gui {

class IdentificationWindow : public QDialog {
    Q_OBJECT
public:
    explicit IdentificationWindow(QWidget* parent = nullptr);

    // The eight lines, prefix and value; an empty line leaves its label empty.
    void showLines(const std::array<std::string, 8>& lines);

signals:
    // cdLOG: the lines go to the trace.
    void logRequested();
};

}  // namespace dravio::gui
