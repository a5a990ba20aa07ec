// Screenshots of the "Download firmware" dialog: after it has found the
// board and checked the chosen file, and in the middle of writing.
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "ui/dialogs/firmware_dialog.h"
#include "ui/screenshots.h"
#include "ui/tq_interface_view.h"

namespace {

constexpr int kPollMs = 10;
constexpr int kImageBytes = 64 * 1024;

// A 64 KiB image from 0x000300, long enough to be caught while writing.
QString writeDemoImage(const QString& dir) {
    const QString path = QDir(dir).filePath(QStringLiteral("regulator-firmware.hex"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return {};
    unsigned upper = 0xFFFF;
    char line[64];
    for (unsigned offset = 0; offset < kImageBytes; offset += 16) {
        const unsigned address = 0x300 + offset;
        if ((address >> 16) != upper) {
            upper = address >> 16;
            const unsigned sum = 2 + 4 + (upper >> 8) + (upper & 0xFF);
            std::snprintf(line, sizeof line, ":02000004%04X%02X\n", upper, (256 - (sum & 0xFF)) & 0xFF);
            file.write(line);
        }
        unsigned sum = 16 + ((address >> 8) & 0xFF) + (address & 0xFF);
        int n = std::snprintf(line, sizeof line, ":10%04X00", address & 0xFFFF);
        for (unsigned i = 0; i < 16; ++i) {
            const unsigned byte = (offset + i) * 7 % 251;
            sum += byte;
            n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n), "%02X", byte);
        }
        std::snprintf(line + n, sizeof line - static_cast<size_t>(n), "%02X\n", (256 - (sum & 0xFF)) & 0xFF);
        file.write(line);
    }
    file.write(":00000001FF\n");
    return path;
}

// Calls `then` once `ready` holds, polling from the event loop.
void whenReady(QObject* context, std::function<bool()> ready, std::function<void()> then) {
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, ready = std::move(ready), then = std::move(then)] {
        if (!ready()) return;
        poll->stop();
        poll->deleteLater();
        then();
    });
    poll->start(kPollMs);
}

}  // namespace

void shootFirmwareDialog(const ScreenshotContext& ctx, ScreenshotNext next) {
    const QString image = writeDemoImage(ctx.dir);
    CTQ_InterfaceView* view = ctx.view;
    view->setFirmwareFileChooser([image](QWidget*, const QString&) -> std::optional<QString> { return image; });
    const QString dir = ctx.dir;
    whenReady(view, [view] { return view->firmwareDialog() && view->firmwareDialog()->started(); }, [view, dir] {
        CFirmwareDownloadDlg* dialog = view->firmwareDialog();
        dialog->grab().save(dir + QStringLiteral("/firmware.png"));
        dialog->button(CFirmwareDownloadDlg::Download)->click();
        whenReady(view, [view] {
            CFirmwareDownloadDlg* d = view->firmwareDialog();
            return !d || d->progressBar()->value() * 3 > d->progressBar()->maximum();
        }, [view, dir] {
            if (CFirmwareDownloadDlg* d = view->firmwareDialog())
                d->grab().save(dir + QStringLiteral("/firmware-writing.png"));
        });
    });
    QTimer::singleShot(0, view, [view, image, next] {
        view->onDownloadFirmware();   // returns once the new firmware runs
        view->setFirmwareFileChooser({});
        QFile::remove(image);
        next();
    });
}
