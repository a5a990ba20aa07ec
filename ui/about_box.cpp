#include "ui/about_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/splash_screen.h"
#include "app/tq_interface_app.h"
#include "ui/help/whats_this.h"

namespace {

QPixmap drawSmallPicture() {
    QPixmap pm(QSize(47, 31) * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(QColor(235, 238, 245));
    p.drawRoundedRect(QRectF(0.5, 0.5, 46, 30), 4, 4);
    QFont f = p.font();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(28, 52, 92));
    p.drawText(QRectF(0, 0, 47, 31), Qt::AlignCenter, QStringLiteral("TQ"));
    return pm;
}

}  // namespace

bool CAboutDlg::isServiceGesture(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    return buttons == (Qt::LeftButton | Qt::MiddleButton) &&
           (modifiers & (Qt::ShiftModifier | Qt::ControlModifier)) == Qt::ShiftModifier;
}

CAboutDlg::CAboutDlg(bool serviceMode, QWidget* parent) : QDialog(parent), serviceMode_(serviceMode) {
    setWindowTitle(QStringLiteral("About TQ_Interface"));
    auto* picture = new QLabel(this);
    picture->setPixmap(CSplashScreenEx::drawDefaultBitmap().scaled(
        QSize(135, 143) * devicePixelRatioF(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* version = new QLabel(QString::fromLatin1(CTQ_InterfaceApp::versionText()), this);
    QFont bold = version->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    version->setFont(bold);
    auto* info = new QLabel(QStringLiteral(
        "Configuration and monitoring of thermoelectric (Peltier) temperature regulators "
        "over RS-232.\n\nLive values, parameter sets, log files and firmware update."), this);
    info->setWordWrap(true);
    info->setMinimumWidth(260);
    serviceLabel_ = new QLabel(QStringLiteral("ServiceMode"), this);
    serviceLabel_->setStyleSheet(QStringLiteral("color: #c80000; font-weight: bold;"));
    serviceLabel_->setVisible(serviceMode_);
    smallPicture_ = new QLabel(this);
    smallPicture_->setPixmap(drawSmallPicture());
    smallPicture_->setFixedSize(47, 31);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    setHelpText(buttons->button(QDialogButtonBox::Ok), "Closes the About box.");

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(14, 14, 14, 12);
    grid->setHorizontalSpacing(14);
    grid->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(version, 0, 1);
    grid->addWidget(info, 1, 1);
    grid->setRowStretch(2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(serviceLabel_);
    bottom->addStretch();
    bottom->addWidget(smallPicture_);
    grid->addLayout(bottom, 3, 1);
    grid->addWidget(buttons, 4, 0, 1, 2);
    setFixedSize(sizeHint());
}

bool CAboutDlg::serviceLabelVisible() const { return !serviceLabel_->isHidden(); }

void CAboutDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only a left double-click can switch it on; any other switches it off.
    const bool onPicture = smallPicture_->geometry().contains(event->position().toPoint());
    serviceMode_ = event->button() == Qt::LeftButton && onPicture &&
                   isServiceGesture(event->buttons(), event->modifiers());
    serviceLabel_->setVisible(serviceMode_);
    QDialog::mouseDoubleClickEvent(event);
}
