#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The start-up notice: a frameless window with a one-pixel border
// that names the site the program is distributed from and closes itself at the
// third tick of its one-second timer, or at once on a double-click on its
// background or either label. Nothing in it takes the focus.
class Form2 : public QDialog
{
    Q_OBJECT
public:
    // The text of Label1(1): the distributing site's name and address, one space after.
    static constexpr const char16_t SiteText[] = u"Zelvane 发布页 (https://zelvane.example.org) ";

    Form2(); // Load: creates the labels, sets Countdown to 3 and starts Timer1

    QTimer *timer1() const { return Timer1; }
    QLabel *label1(int index) const { return Label1[index]; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override; // Escape does not close the notice
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form2_Load();
    void Timer1_Timer();
    void Form2_DblClick();
    void Label1_DblClick(int index);
    void unload();

    qint16 Countdown = 0; // timer ticks left before the window closes itself

    QWidget *Client = nullptr; // the 388 x 86 client area inside the border
    QLabel *Label1[2] = {nullptr, nullptr};
    QTimer *Timer1 = nullptr;
};
