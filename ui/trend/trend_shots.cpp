// --screenshots: a Trend window of a generated run in which the virtual
// regulator's set point steps from 20 to 10 deg C, with the step selected.
#include <QDir>
#include <QTimer>
#include <fstream>

#include "runtime/log_format.h"
#include "sim/board_model.h"
#include "sim/register_bank.h"
#include "ui/screenshots.h"
#include "ui/tq_interface_view.h"
#include "ui/trend/trend_canvas.h"
#include "ui/trend/trend_window.h"

namespace {

QString writeStepLog(const QString& dir) {
    const QString path = dir + QStringLiteral("/trend-demo-log.txt");
    sim::RegisterBank bank;
    bank.setBits(sim::reg::St1, sim::floatBits(20.0f));
    bank.setBits(sim::reg::RegulatorFlags, 6 | 0x80);
    bank.setBits(sim::reg::Fan1Mode, 5);
    sim::BoardModel board;
    board.boot(bank);
    std::time_t now = std::time(nullptr);
    std::tm start{};
    localtime_r(&now, &start);
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << logHeader(start, "TQ-REG V0.215 virtual");
    std::string row;
    for (int i = 0; i < 20 * 360; ++i) {
        if (i == 20 * 120) bank.setBits(sim::reg::St1, sim::floatBits(10.0f));
        board.step(bank, 0.05);
        const sim::RuntimeRecord& r = board.record();
        RuntimeSample s;
        s.gTsCnt = r.gTsCnt; s.g_error = r.g_error; s.g_pwm_mode = r.g_pwm_mode; s.fgtFLAG = r.fgtFLAG;
        s.fgTc = r.fgTc; s.fgF1Tc = r.fgF1Tc; s.fgF2Tc = r.fgF2Tc;
        s.fgTa1 = r.fgTa1; s.fgTa2 = r.fgTa2; s.fgTa3 = r.fgTa3; s.fgTa4 = r.fgTa4;
        s.fgTrExt = r.fgTrExt; s.fgTr = r.fgTr; s.frTa = r.frTa; s.frTe = r.frTe;
        s.frTp = r.frTp; s.frTi = r.frTi; s.frTd = r.frTd; s.frTLPr = r.frTLPr;
        s.g_vin = r.g_vin; s.g_curr = r.g_curr; s.adTemp1 = r.adTemp1; s.digipotOffset = r.digipotOffset;
        appendLogRow(row, s);
        out << row;
    }
    out << logFooter(start);
    return path;
}

}  // namespace

void shootTrend(const ScreenshotContext& ctx, ScreenshotNext next) {
    const QString path = writeStepLog(QDir::tempPath());
    TrendWindow* w = ctx.view->openLog(path);
    if (!w) return next();
    w->resize(1200, 640);
    w->canvas()->state().t0 = 100;
    w->canvas()->state().t1 = 300;
    w->selectRange(110, 290);
    w->canvas()->state().cursor = 160;
    QTimer::singleShot(500, w, [w, ctx, next, path] {
        w->grab().save(ctx.dir + QStringLiteral("/trend.png"));
        w->close();
        QFile::remove(path);
        next();
    });
}
