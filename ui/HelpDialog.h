// The help window Dialog: a heading, four paragraphs about the program, a by-line and "OK".
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace tarmel::ui {

class HelpDialog : public QWidget {
    Q_OBJECT

public:
    // Top-level without owner, hidden, at its stored screen place, fixed size; deletes itself
    // when closed from its title bar.
    HelpDialog();

    QPushButton* okButton() const { return okButton_; }
    QLabel* paragraph(int index) const { return paragraphs_.at(static_cast<std::size_t>(index)); }
    QLabel* label1() const { return label1_; } // by-line
    QLabel* label3() const { return label3_; } // web address
    QLabel* label4() const { return label4_; } // heading

signals:
    // The window became the program's active window.
    void activated();
    // The window was closed from its title bar; it is then deleted.
    void closedByUser();

public slots:
    // "OK": hide the window; it keeps existing.
    void OKButton_Click();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* okButton_ = nullptr;
    std::array<QLabel*, 4> paragraphs_{};
    QLabel* label1_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
};

} // namespace tarmel::ui
