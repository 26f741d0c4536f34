#include "ui/Form2.h"

#include "platform/Fonts.h"
#include "ui/AppIcon.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {

constexpr int ClientWidth = 388;
constexpr int ClientHeight = 86;
constexpr int Border = 1;
constexpr int RightMargin = 3; // as between the site label and the edge at the designed width

QFont labelFont(qreal points, bool bold, bool italic)
{
    QFont font(UiFontFamily());
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}

} // namespace

Form2::Form2()
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Zelvane"));
    setAttribute(Qt::WA_QuitOnClose, false); // closing the notice never ends the program
    setFocusPolicy(Qt::NoFocus);
    setWindowIcon(AppIcon());

    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("Form2Client"));

    Label1[0] = new QLabel(QStringLiteral("本程序唯一发布地址："), Client);
    Label1[0]->setObjectName(QStringLiteral("Label1_0"));
    Label1[0]->setFont(labelFont(12, false, false));
    Label1[0]->move(8, 12);

    Label1[1] = new QLabel(QString::fromUtf16(SiteText), Client);
    Label1[1]->setObjectName(QStringLiteral("Label1_1"));
    Label1[1]->setFont(labelFont(21.75, true, true));
    QPalette red = Label1[1]->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1[1]->setPalette(red);
    Label1[1]->move(4, 40);

    for (QLabel *label : Label1) {
        label->setFocusPolicy(Qt::NoFocus);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->adjustSize(); // labels size themselves to their text
        label->installEventFilter(this);
    }

    // The site's address must be readable whole: when its label is wider than
    // the designed client area, the window grows to hold it.
    const int width = qMax(ClientWidth, Label1[1]->geometry().right() + 1 + RightMargin);
    Client->setGeometry(Border, Border, width, ClientHeight);
    setFixedSize(width + 2 * Border, ClientHeight + 2 * Border);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setTimerType(Qt::PreciseTimer); // a coarse timer may tick 5 % early
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);

    Form2_Load();
}

void Form2::Form2_Load()
{
    Countdown = 3;
    Timer1->start();
}

void Form2::Timer1_Timer()
{
    Countdown = qint16(Countdown - 1);
    if (Countdown < 1)
        unload();
}

void Form2::Form2_DblClick()
{
    unload();
}

void Form2::Label1_DblClick(int index)
{
    Q_UNUSED(index); // either label closes the window
    unload();
}

void Form2::unload()
{
    Timer1->stop();
    done(QDialog::Accepted);
}

void Form2::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1)); // the one-pixel border
}

void Form2::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        Form2_DblClick();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

void Form2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int index = 0; index < 2; ++index) {
            if (watched == Label1[index]) {
                Label1_DblClick(index);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
