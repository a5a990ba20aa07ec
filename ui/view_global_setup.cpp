// Setup › Global setup: runs the dialog and applies what it returns.
#include <QDialog>

#include "app/connection_manager.h"
#include "app/wait_cursor.h"
#include "ui/dialogs/global_setup_dialog.h"
#include "ui/tq_interface_view.h"
#include "ui/view_page.h"

void CTQ_InterfaceView::onGlobalSetup() {
    // The dialog shows the port in use, which differs from PORT when this
    // run was started on another one (--port, --simulate).
    const std::string portInUse = connection_->portName();
    GlobalSetupValues values = GlobalSetupValues::fromSetup(setup_, serviceMode_);
    values.portName = portInUse;

    connection_->showMessage(QStringLiteral("Open global setup view, and search for serial ports..."));
    std::vector<std::string> ports;
    {
        WaitCursor wait;
        ports = CGlobalSetupDlg::findPorts();
    }
    CGlobalSetupDlg dialog(values, ports, this);
    if (dialog.exec() != QDialog::Accepted) {
        connection_->showMessage(QString::asprintf("Port %s at %d, status = %s", portInUse.c_str(), setup_.baudRate,
                                                   connection_->isPortOpen() ? "open" : "closed"));
        return;
    }
    const GlobalSetupValues taken = dialog.values();
    connection_->applyPortSettings([&] {
        const std::string savedPort = setup_.portName;
        taken.applyTo(setup_);
        if (taken.portName == portInUse && portInUse != savedPort)
            setup_.portName = savedPort;   // this run's port stays this run's only
        else
            connection_->setPortOverride({});
        setCelsius(setup_.celsius);
        forEachPage([this](ViewPage& p) { p.applyGlobalSetup(setup_); });
    });
    update();
}
