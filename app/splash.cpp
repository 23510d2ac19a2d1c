#include "app/splash.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace kivra {

TSplashForm* SplashForm = nullptr;

namespace {

QPixmap SplashPicture() {
    QPixmap pixmap(266, 161);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, 161);
    fill.setColorAt(0, QColor(0, 128, 0));
    fill.setColorAt(1, QColor(0, 64, 0));
    p.fillRect(pixmap.rect(), fill);
    p.setPen(Qt::white);
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 30, 266, 50), Qt::AlignCenter, QStringLiteral("KivraXP"));
    QFont line(QStringLiteral("Arial"));
    line.setPixelSize(12);
    p.setFont(line);
    p.drawText(QRect(0, 85, 266, 40), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("Kinetic analysis of biosensor binding data"));
    return pixmap;
}

} // namespace

void CentreOnScreen(QWidget* window) {
    QScreen* screen = QApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    window->move((area.width() - window->width()) / 2, (area.height() - window->height()) / 2);
}

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
    resize(266, 161);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 536, 161);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(SplashPicture());
    // The picture passes its clicks to the window.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TSplashForm::FormMouseDown() { hide(); }

void TSplashForm::mousePressEvent(QMouseEvent*) { FormMouseDown(); }

} // namespace kivra
