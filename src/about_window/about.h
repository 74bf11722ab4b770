#pragma once
// The About box.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace sorvane::ui {

class about : public QDialog {
    Q_OBJECT
public:
    explicit about(QWidget* parent = nullptr);

    // The text the box shows, line structure included.
    static QString aboutText();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Command1_Click();

    QLabel* m_Label1 = nullptr;
    QPushButton* m_Command1 = nullptr;
};

}  // namespace sorvane::ui
