// Regulator › Auto-tune: the entries and the constants (the dialog's model),
// and the dialog against the virtual regulator on its fast laser-mount load:
// a run that finishes and applies its constants, and a cancelled one; after
// both the regulator holds exactly the settings it had and streams again.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/dialogs/autotune_dialog.h"
#include "ui/tq_interface_view.h"
#include "ui/widgets/numeric_entry.h"

namespace {

constexpr int kRunBoundMs = 120000;  // a whole auto-tune run, under a sanitizer

TEST(AutotuneModel, EntriesReadInTheWindowsUnitAndBadOnesNameTheirField) {
    ParameterSet doc;
    doc.st1 = 0;
    doc.maxPower = 80;
    const AutotuneModel fahrenheit(doc, false);
    EXPECT_EQ(fahrenheit.defaults()[AutotuneModel::SetPoint], "32");
    EXPECT_EQ(fahrenheit.defaults()[AutotuneModel::MaxPower], "40") << "a wide relay only heats the load";
    EXPECT_EQ(fahrenheit.defaults()[AutotuneModel::Band], "18");
    tuning::TuningRequest request;
    std::string error;
    ASSERT_TRUE(fahrenheit.makeRequest({"50", "30", "9", "120"}, tuning::TuningRule::Normal, request, error)) << error;
    EXPECT_DOUBLE_EQ(*request.setPoint, 10.0);
    EXPECT_NEAR(request.band, 5.0, 1e-6);
    EXPECT_DOUBLE_EQ(*request.maxPower, 30.0);
    EXPECT_EQ(request.rule, tuning::TuningRule::Normal);

    const AutotuneModel celsius(doc, true);
    EXPECT_FALSE(celsius.makeRequest({"20", "30", "x", "120"}, tuning::TuningRule::Gentle, request, error));
    EXPECT_EQ(error, "Band +/-: \"x\" is not a number");
    EXPECT_FALSE(celsius.makeRequest({"20", "130", "5", "120"}, tuning::TuningRule::Gentle, request, error));
    EXPECT_EQ(error, "Output limit is out of range (1 .. 100 %)");
    EXPECT_FALSE(celsius.makeRequest({"20", "30", "5", "1"}, tuning::TuningRule::Gentle, request, error));
    EXPECT_EQ(error.rfind("Time limit is out of range", 0), 0u) << error;
}

TEST(AutotuneModel, ConstantsOutsideTheirRangeAreNotApplied) {
    ParameterSet doc;
    doc.kP = 3;
    AutotuneModel model(doc, true);
    std::string error;
    EXPECT_FALSE(model.applyTo(doc, error)) << "nothing to apply before a result";
    tuning::TuningOutcome outcome;
    outcome.status = tuning::TuningStatus::Finished;
    outcome.figures = tuning::UltimateFigures{};
    outcome.proposed = {12.5, 0.25, 1e9};   // kD far beyond its range
    model.setOutcome(outcome);
    EXPECT_EQ(model.rows(doc)[0].proposed, "12.5");
    EXPECT_FALSE(model.applyTo(doc, error));
    EXPECT_NE(error.find("kD"), std::string::npos) << error;
    EXPECT_EQ(doc.kP, 3.0f) << "all or nothing";
    outcome.proposed.kD = 2;
    model.setOutcome(outcome);
    ASSERT_TRUE(model.applyTo(doc, error)) << error;
    EXPECT_EQ(doc.kP, 12.5f);
    EXPECT_EQ(doc.kI, 0.25f);
    EXPECT_EQ(doc.kD, 2.0f);
}

TEST(AutotuneChart, DrawsTheActualTemperatureAroundTheOperatingPoint) {
    AutotuneTrace trace;
    trace.operatingPoint = 25;
    trace.outputLimit = 30;
    for (int i = 0; i < 200; ++i)
        trace.points.push_back({i * 0.05, 25 + (i % 40 < 20 ? 0.5 : -0.5), i % 40 < 20 ? -30.0 : 30.0});
    QImage image(400, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    paintAutotuneChart(painter, image.rect(), trace);
    painter.end();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) > 150 && qGreen(image.pixel(x, y)) < 80) ++red;
    EXPECT_GT(red, 200) << "the Tr1 trace is drawn";
}

class AutotuneWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        sim::SimOptions options;
        ASSERT_EQ(sim::plantFromOptions("laser-mount", {}, options.plant), "");
        options.speed = 10;   // ten regulator seconds a second
        regulator = std::make_unique<sim::VirtualRegulator>(options);
        ASSERT_TRUE(regulator->start());
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        view->setup().portName = regulator->slavePath();
        view->connection().connectPort();
        ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, kRunBoundMs));
        for (int reg = 0; reg <= 96; ++reg) before.push_back(regulator->registerBits(reg));
    }
    void TearDown() override {
        delete frame;
        if (regulator) regulator->stop();
        QDir::setCurrent(previousDir);
    }
    // Opens the dialog and runs `script` from a timer once it is up, with
    // the operating point above the load's 22 deg C surroundings.
    void runDialog(const std::function<void(AutotuneDialog&)>& script) {
        bool ran = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, view, [&] {
            AutotuneDialog* d = view->autotuneDialog();
            if (!d || !d->isVisible()) return;
            poll.stop();
            ran = true;
            d->entry(AutotuneModel::SetPoint)->setText(QStringLiteral("25"));
            d->entry(AutotuneModel::MaxPower)->setText(QStringLiteral("30"));
            script(*d);
            if (d->isVisible()) {
                d->reject();
                spinUntil([d] { return !d->isVisible(); }, kRunBoundMs);
            }
        });
        poll.start();
        frame->command(cmd::Autotune)->trigger();
        EXPECT_TRUE(ran) << "the dialog did not open";
    }
    void expectRegulatorAsBefore() {
        for (int reg = 0; reg <= 96; ++reg)
            EXPECT_EQ(regulator->registerBits(reg), before[reg]) << "register " << reg;
        EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeOnline);
        const auto samples = view->connection().samplesReceived();
        EXPECT_TRUE(spinUntil([&] { return view->connection().samplesReceived() > samples + 5; }, kRunBoundMs))
            << "the window's stream runs again";
    }

    QTemporaryDir workDir;
    QString previousDir;
    std::unique_ptr<sim::VirtualRegulator> regulator;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
    std::vector<std::uint32_t> before;
};

}  // namespace

TEST_F(AutotuneWindowTest, ARunProposesConstantsThatGoIntoTheDocumentAndRestoresTheRegulator) {
    document.SetModifiedFlag(false);
    tuning::PidConstants proposed;
    runDialog([&](AutotuneDialog& d) {
        EXPECT_FALSE(d.button(AutotuneDialog::Apply)->isEnabled());
        d.button(AutotuneDialog::Start)->click();
        EXPECT_EQ(d.button(AutotuneDialog::Close)->text(), "Cancel");
        ASSERT_TRUE(spinUntil([&] { return !d.running(); }, kRunBoundMs));
        ASSERT_TRUE(d.model().canApply()) << d.resultLabel()->text().toStdString() << " / "
                                          << d.progressLabel()->text().toStdString();
        EXPECT_TRUE(d.resultLabel()->text().startsWith("Ultimate gain ")) << d.resultLabel()->text().toStdString();
        EXPECT_GT(d.chart()->trace().points.size(), 100u) << "the live view followed the run";
        EXPECT_FALSE(d.constantsTable()->item(0, 2)->text().isEmpty());
        proposed = d.model().outcome()->proposed;
        d.button(AutotuneDialog::Apply)->click();
    });
    ASSERT_TRUE(document.IsModified());
    EXPECT_GT(proposed.kP, 0.0);
    EXPECT_EQ(document.kP, static_cast<float>(proposed.kP));
    EXPECT_EQ(document.kI, static_cast<float>(proposed.kI));
    EXPECT_EQ(document.kD, static_cast<float>(proposed.kD));
    expectRegulatorAsBefore();
}

TEST_F(AutotuneWindowTest, CancelStopsTheRunAndRestoresTheRegulator) {
    runDialog([&](AutotuneDialog& d) {
        d.button(AutotuneDialog::Start)->click();
        ASSERT_TRUE(spinUntil([&] { return d.chart()->trace().points.size() > 40; }, kRunBoundMs));
        d.button(AutotuneDialog::Close)->click();   // "Cancel" while running
        EXPECT_TRUE(d.isVisible()) << "the dialog waits for the regulator to be restored";
        EXPECT_TRUE(spinUntil([&] { return !d.isVisible(); }, kRunBoundMs));
        EXPECT_FALSE(d.model().canApply());
    });
    expectRegulatorAsBefore();
}
