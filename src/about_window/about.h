#pragma once
// The About box.

#include <QDialog>
#include <QString>

namespace sorvane::ui {

class about : public QDialog {
    Q_OBJECT
public:
    explicit about(QWidget* parent = nullptr);

    // The text the box shows, line structure included.
    static QString aboutText();
};

}  // namespace sorvane::ui
