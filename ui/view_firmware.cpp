// Setup › Download firmware: switch the link to the boot loader's rate,
// hold the connection in its firmware mode while the dialog runs, then
// restore rate and mode.
#include <QMessageBox>
#include <chrono>
#include <thread>

#include "app/connection_manager.h"
#include "firmware/firmware_update_session.h"
#include "firmware/serial_boot_loader_link.h"
#include "link/port_url.h"
#include "ui/dialogs/firmware_dialog.h"
#include "ui/tq_interface_view.h"

namespace {

// The view's link behind the firmware command.
class ViewFirmwareHost : public FirmwarePortHost {
public:
    ViewFirmwareHost(ConnectionManager& connection, QWidget* parent) : c_(connection), parent_(parent) {}
    bool isOpen() const override { return c_.isPortOpen(); }
    int open(std::uint32_t baud) override { return c_.link().open(c_.portName(), baud); }
    void close() override { c_.link().close(); }
    int enterBootLoader() override { return c_.link().enterBootLoader(); }
    int setConnectionMode(int mode) override { return c_.setConnectionMode(mode, true); }
    void showMessage(const std::string& text) override { c_.showMessage(QString::fromStdString(text)); }
    void openFailed(int code) override {
        QString text = QString::fromStdString(openPortErrorText(code));
        QMessageBox::warning(parent_, QStringLiteral("TQ_Interface"),
                             text.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    }
    void pause(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    bool rateIsFixed() const override { return portRateIsFixed(c_.portName()); }
    void rateSwitchRefused(const std::string& text) override {
        QString shown = QString::fromStdString(text);
        QMessageBox::warning(parent_, QStringLiteral("TQ_Interface"), shown.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    }

private:
    ConnectionManager& c_;
    QWidget* parent_;
};

}  // namespace

void CTQ_InterfaceView::onDownloadFirmware() {
    if (firmwareDialog_) return;  // already open
    ViewFirmwareHost host(*connection_, this);
    SerialBootLoaderLink link(connection_->link());
    runFirmwareUpdate(host, static_cast<std::uint32_t>(setup_.baudRate),
                      static_cast<std::uint32_t>(setup_.bootBaudRate), [&] {
                          CFirmwareDownloadDlg dialog(link, serviceMode_, QString::fromStdString(setup_.targetPath),
                                                      firmwareChooser_, this);
                          firmwareDialog_ = &dialog;
                          dialog.exec();
                          firmwareDialog_ = nullptr;
                          setup_.targetPath = dialog.rememberedName().toStdString();
                          return dialog.writtenText();
                      });
    updateCommandUi();
    refreshControls();
}
