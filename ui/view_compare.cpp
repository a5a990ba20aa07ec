// The view's compare commands: Regulator > Compare with regulator... and the
// verification after a parameter download.
#include <QAction>
#include <QCoreApplication>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/transfer_adapters.h"
#include "app/wait_cursor.h"
#include "params/register_compare.h"
#include "params/tq_interface_doc.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/tq_interface_view.h"

namespace {

// Lets the window repaint between register reads, so a compare over a slow
// line does not freeze it; input waits until the compare is over.
class RepaintingRegisterIo : public RegisterIo {
public:
    explicit RepaintingRegisterIo(RegisterIo& link) : link_(link) {}
    int writeRegister(int reg, float value, bool hex) override {
        return pumped(link_.writeRegister(reg, value, hex));
    }
    int writeRegisterUnsigned(int reg, std::uint32_t value) override {
        return pumped(link_.writeRegisterUnsigned(reg, value));
    }
    int readRegister(int reg, float& out, bool hex) override {
        return pumped(link_.readRegister(reg, out, hex));
    }
    int readRegisterUnsigned(int reg, std::uint32_t& out) override {
        return pumped(link_.readRegisterUnsigned(reg, out));
    }

private:
    static int pumped(int result) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return result;
    }
    RegisterIo& link_;
};

}  // namespace

void CTQ_InterfaceView::wireCompareCommands() {
    if (QAction* a = frame_->command(cmd::CompareWithRegulator))
        connect(a, &QAction::triggered, this, [this] { onCompareWithRegulator(); });
}

RegisterComparison CTQ_InterfaceView::compareWithRegulator() {
    WaitCursor wait;
    SerialRegisterIo serial(connection_->link());
    RepaintingRegisterIo io(serial);
    ConnectionTransferHost host(*connection_);
    return CompareWithRegulator(io, host, *document_, TransferSettings{setup_.ieeeFormat, serviceMode_});
}

void CTQ_InterfaceView::onCompareWithRegulator() {
    if (!document_ || !connection_->isPortOpen()) return;
    const CompareModel model(compareWithRegulator());
    CompareDialog dialog(model, this);
    if (dialog.exec() != QDialog::Accepted) return;
    model.takeInto(*document_);
    connection_->showMessage(QString::fromLatin1(kMsgGetDone));
    updateTitle();
}

bool CTQ_InterfaceView::verifyAfterDownload() const {
    const QAction* a = frame_ ? frame_->command(cmd::VerifyAfterDownload) : nullptr;
    return a && a->isChecked();
}

void CTQ_InterfaceView::verifyDownload() {
    const RegisterComparison comparison = compareWithRegulator();
    std::string text;
    if (comparison.result != 0)
        text = readErrorText(comparison.result);
    else if (comparison.differences.empty())
        text = kMsgDownloadVerified;
    else
        text = differenceCountText(std::string(kMsgDownloadDone) + ",", comparison.differences.size());
    connection_->showMessage(QString::fromStdString(text));
}
