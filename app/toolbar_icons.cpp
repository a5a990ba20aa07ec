#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include "app/command_ids.h"

namespace {

// Drawn at twice the 16 x 16 size so the pictures stay sharp on high-DPI.
template <typename Draw>
QIcon drawn(Draw draw) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    pm.setDevicePixelRatio(2.0);
    return QIcon(pm);
}

QIcon letter(const QString& text, QColor color) {
    return drawn([&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(text.size() > 1 ? 13 : 20);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, text);
    });
}

QIcon arrow(bool down, QColor color) {
    return drawn([&](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 2));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(4, down ? 20 : 4, 24, 8));
        QPainterPath path;
        if (down) {
            path.moveTo(16, 19); path.lineTo(7, 9); path.lineTo(12, 9); path.lineTo(12, 2);
            path.lineTo(20, 2); path.lineTo(20, 9); path.lineTo(25, 9); path.closeSubpath();
        } else {
            path.moveTo(16, 13); path.lineTo(7, 22); path.lineTo(12, 22); path.lineTo(12, 30);
            path.lineTo(20, 30); path.lineTo(20, 22); path.lineTo(25, 22); path.closeSubpath();
        }
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(path);
    });
}

QIcon plug(QColor color, bool cut) {
    return drawn([&](QPainter& p) {
        p.setPen(QPen(color, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 16), QPointF(cut ? 11 : 13, 16));
        p.drawLine(QPointF(cut ? 21 : 19, 16), QPointF(29, 16));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(cut ? 7 : 9, 9, 6, 14), 2, 2);
        p.drawRoundedRect(QRectF(cut ? 19 : 17, 9, 6, 14), 2, 2);
    });
}

}  // namespace

QIcon toolBarIcon(int id, const QStyle* style) {
    switch (id) {
    case cmd::FileNew: return style->standardIcon(QStyle::SP_FileIcon);
    case cmd::FileOpen: return style->standardIcon(QStyle::SP_DialogOpenButton);
    case cmd::FileSave: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case cmd::EditCut:
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(70, 70, 70), 2.5));
            p.drawLine(QPointF(9, 3), QPointF(20, 22));
            p.drawLine(QPointF(23, 3), QPointF(12, 22));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(5, 21, 8, 8));
            p.drawEllipse(QRectF(19, 21, 8, 8));
        });
    case cmd::EditCopy:
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(70, 70, 70), 2));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4, 4, 15, 19));
            p.drawRect(QRectF(13, 9, 15, 19));
        });
    case cmd::EditPaste:
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(110, 80, 40), 2));
            p.setBrush(QColor(210, 170, 110));
            p.drawRoundedRect(QRectF(5, 5, 22, 25), 2, 2);
            p.setBrush(Qt::white);
            p.setPen(QPen(QColor(70, 70, 70), 1.5));
            p.drawRect(QRectF(9, 11, 14, 16));
            p.setBrush(QColor(120, 120, 120));
            p.drawRect(QRectF(11, 2, 10, 6));
        });
    case cmd::FilePrint:
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(70, 70, 70), 2));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9, 3, 14, 10));
            p.setBrush(QColor(160, 160, 160));
            p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9, 20, 14, 9));
        });
    case cmd::ToolGlobalSetup: return letter(QStringLiteral("S"), QColor(90, 110, 140));
    case cmd::ToolLogToggle:
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(70, 70, 70), 2));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(5, 3, 18, 26));
            p.setPen(QPen(QColor(150, 150, 150), 1.5));
            for (int y = 9; y < 27; y += 5) p.drawLine(QPointF(8, y), QPointF(20, y));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(210, 30, 30));
            p.drawEllipse(QRectF(18, 18, 12, 12));
        });
    case cmd::ToolConnect: return plug(QColor(30, 140, 50), false);
    case cmd::ToolDisconnect: return plug(QColor(190, 40, 40), true);
    case cmd::ToolGetVersion: return letter(QStringLiteral("V"), QColor(50, 110, 180));
    case cmd::ToolSendParameters: return arrow(false, QColor(30, 140, 50));
    case cmd::ToolGetParameters: return arrow(true, QColor(50, 110, 180));
    case cmd::AppAbout: return letter(QStringLiteral("i"), QColor(50, 110, 180));
    case cmd::ToolHelp: return letter(QStringLiteral("?"), QColor(200, 140, 20));
    default: return {};
    }
}
