#include "ui/common/toolicons.h"

#include <QPainter>
#include <QPixmap>

namespace {

constexpr int Size = 48; // drawn large, shown at the tool bar's size

// A subscriber's card: a white sheet with a blue border and two lines of text.
void drawCard(QPainter& p) {
    p.setPen(QPen(QColor(0x2F, 0x5F, 0xA8), 3));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(4, 6, 30, 36), 3, 3);
    p.setPen(QPen(QColor(0x7F, 0x9F, 0xC8), 3));
    p.drawLine(10, 16, 28, 16);
    p.drawLine(10, 24, 28, 24);
}

// The card with a round badge of the given colour carrying a white mark of two strokes.
QIcon withBadge(const QColor& badge, const QLineF& first, const QLineF& second) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawCard(p);
    p.setPen(Qt::NoPen);
    p.setBrush(badge);
    p.drawEllipse(QRectF(24, 24, 22, 22));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(first);
    p.drawLine(second);
    p.end();
    return QIcon(pixmap);
}

// A document: a sheet with lines and a round badge of the colour carrying a sign.
QIcon document(const QColor& badge, const QString& sign) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 3));
    p.setBrush(QColor(0xFF, 0xFD, 0xE8));
    p.drawRect(QRectF(6, 3, 28, 38));
    p.setPen(QPen(QColor(0x9A, 0x9A, 0x9A), 3));
    for (int y : {12, 19, 26})
        p.drawLine(11, y, 29, y);
    p.setPen(Qt::NoPen);
    p.setBrush(badge);
    p.drawEllipse(QRectF(22, 22, 25, 25));
    QFont f = p.font();
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(22, 22, 25, 25), Qt::AlignCenter, sign);
    p.end();
    return QIcon(pixmap);
}

} // namespace

namespace ToolIcons {

QIcon chargeDocument() {
    return document(QColor(0x2F, 0x5F, 0xA8), QStringLiteral("+"));
}

QIcon correctionDocument() {
    return document(QColor(0xC0, 0x7A, 0x10), QStringLiteral("±"));
}

QIcon paymentDocument() {
    return document(QColor(0x2E, 0x9E, 0x3E), QStringLiteral("₽"));
}

QIcon addClient() {
    return withBadge(QColor(0x2E, 0x9E, 0x3E), QLineF(35, 28, 35, 42), QLineF(28, 35, 42, 35));
}

QIcon deleteClient() {
    return withBadge(QColor(0xD0, 0x2A, 0x2A), QLineF(30, 30, 40, 40), QLineF(40, 30, 30, 40));
}

} // namespace ToolIcons
