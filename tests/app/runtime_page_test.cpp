// The Runtime page in the main view: interval buttons, freeze, the channel
// list's clicks and keys, "Set new value", colours, the RuntimeData window
// and the live graph from the virtual regulator.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/runtime/channel_lists.h"
#include "ui/runtime/runtime_page.h"
#include "ui/runtime/runtime_page_logic.h"
#include "ui/runtime/runtime_view.h"
#include "ui/runtime/scope_viewer_ctrl.h"
#include "ui/runtime/set_value_dlg.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"
#include "ui/widgets/numeric_entry.h"

namespace {

class RuntimePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        page = view->runtimePage();
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override { delete frame; }

    void showPage() {
        frame->show();
        view->tabs()->setCurrentIndex(CTQ_InterfaceView::RuntimePage);
        QCoreApplication::processEvents();
    }
    QString xLabel() const { return page->scope()->state().xAxisLabel; }

    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
    CRuntimePage* page = nullptr;
};

void mouse(QWidget* target, QEvent::Type type, QPoint pos) {
    QMouseEvent event(type, QPointF(pos), target->mapToGlobal(QPointF(pos)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void click(QWidget* target, QPoint pos) {
    mouse(target, QEvent::MouseButtonPress, pos);
    mouse(target, QEvent::MouseButtonRelease, pos);
}

void doubleClick(QWidget* target, QPoint pos) {
    click(target, pos);
    mouse(target, QEvent::MouseButtonDblClick, pos);
    mouse(target, QEvent::MouseButtonRelease, pos);
}

QPoint cellCentre(QTableWidget* list, int row, int column) {
    return list->visualRect(list->model()->index(row, column)).center();
}

// Answers every "Set new value" that opens while it lives.
class SetValueAnswer {
public:
    explicit SetValueAnswer(std::function<void(CSetValueDlg&)> answer) : answer_(std::move(answer)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<CSetValueDlg*>(QApplication::activeModalWidget());
            if (!dialog) return;
            ++opened;
            title = dialog->windowTitle();
            shownMax = dialog->maxEdit()->text();
            shownMin = dialog->minEdit()->text();
            answer_(*dialog);
        });
        poll_.start(10);
    }
    int opened = 0;
    QString title, shownMax, shownMin;

private:
    std::function<void(CSetValueDlg&)> answer_;
    QTimer poll_;
};

}  // namespace

TEST(RuntimePageRules, IntervalLabelsStepsAndCellsThatOpenTheDialog) {
    EXPECT_EQ(runtime_page::intervalLabel(125), "0.125 sec/sample");
    EXPECT_EQ(runtime_page::intervalLabel(250), "0.250 sec/sample");
    EXPECT_EQ(runtime_page::intervalLabel(1000), "1 sec/sample");
    EXPECT_EQ(runtime_page::intervalLabel(2000), "2 sec/sample");
    EXPECT_EQ(runtime_page::intervalLabel(64000), "64 sec/sample");
    EXPECT_EQ(runtime_page::halvedInterval(125), 62);
    EXPECT_EQ(runtime_page::doubledInterval(64000), 128000);
    EXPECT_FALSE(runtime_page::opensValueDialog(0, 0));
    for (int column = 1; column <= 3; ++column) EXPECT_TRUE(runtime_page::opensValueDialog(18, column));
    EXPECT_FALSE(runtime_page::opensValueDialog(-1, 1));
    EXPECT_FALSE(runtime_page::opensValueDialog(19, 1));
}

TEST_F(RuntimePageTest, MinusAndPlusWalkTheIntervalWithinItsLimits) {
    EXPECT_EQ(page->interval(), 125);
    EXPECT_EQ(xLabel(), "0.125 sec/sample");
    EXPECT_FALSE(page->minusButton()->isEnabled()) << "nothing to halve at the fastest interval";
    page->minusButton()->click();
    EXPECT_EQ(view->connection().sampleTimerPeriod(), 125);
    EXPECT_EQ(page->interval(), 125);
    EXPECT_EQ(xLabel(), "0.125 sec/sample");

    page->plusButton()->click();
    EXPECT_EQ(page->interval(), 250);
    EXPECT_EQ(xLabel(), "0.250 sec/sample");
    EXPECT_EQ(page->runtimeView()->scope()->state().xAxisLabel, "0.250 sec/sample");
    for (int expected : {500, 1000, 2000, 4000, 8000, 16000, 32000, 64000, 64000}) {
        page->plusButton()->click();
        EXPECT_EQ(page->interval(), expected);
        EXPECT_EQ(view->connection().sampleTimerPeriod(), expected);
    }
    EXPECT_EQ(xLabel(), "64 sec/sample");
    EXPECT_FALSE(page->plusButton()->isEnabled());
    EXPECT_TRUE(page->minusButton()->isEnabled());
    for (int i = 0; i < 6; ++i) page->minusButton()->click();
    EXPECT_EQ(page->interval(), 1000);
    EXPECT_EQ(xLabel(), "1 sec/sample");
    EXPECT_FALSE(document.IsModified()) << "the interval is not part of the document";
}

// Each channel has its own range: the labels name numbers only when every
// drawn channel shares one; a saved picture carries the legend; a dark
// channel's name reads on the dark list background.
TEST_F(RuntimePageTest, TheChartSaysWhatItsScaleIsAndItsPictureCarriesTheLegend) {
    ChannelTable& table = view->channelTable();
    for (int ch = 0; ch < kGraphChannelCount; ++ch) table[ch].enabled = ch < 2;
    table[0].min = table[1].min = 0.0f;
    table[0].max = table[1].max = 50.0f;
    page->runtimeBlockLoaded();
    const ScopeState& shared = page->scope()->state();
    EXPECT_EQ(shared.topLabel, "50.0");
    EXPECT_EQ(shared.middleLabel, "25.0");
    EXPECT_EQ(shared.bottomLabel, "0.0");
    table[1].max = 80.0f;
    page->runtimeBlockLoaded();
    EXPECT_EQ(page->scope()->state().middleLabel, "Mid");
    EXPECT_EQ(page->runtimeView()->scope()->state().topLabel, "Max");

    page->scope()->resize(400, 260);
    const QImage picture = page->scope()->image();
    EXPECT_GT(picture.height(), 260) << "a legend band below the chart";
    const QRgb channel0 = colorFromRef(page->scope()->state().channelColors[0]).rgb();
    bool legendLine = false;
    for (int y = 260; y < picture.height() && !legendLine; ++y)
        for (int x = 0; x < picture.width() && !legendLine; ++x) legendLine = picture.pixel(x, y) == channel0;
    EXPECT_TRUE(legendLine);
    EXPECT_TRUE(page->scope()->state().legend[1].endsWith("0.0 .. 80.0"));

    // Maroon (channel 1 by default) on the default dark background.
    const QColor maroon(128, 0, 0), dark = colorFromRef(0x5E1E1E);
    EXPECT_NE(readableBackground(maroon, dark), dark);
    EXPECT_EQ(readableBackground(QColor(Qt::yellow), dark), dark);
    page->applyColours(0x5E1E1E, 0xFFC0C0, ScopeState::kDefaultChannelColors);
    EXPECT_NE(page->channelList()->item(1, RuntimeChannelList::NameColumn)->background().color(), dark);
    EXPECT_EQ(page->channelList()->item(1, RuntimeChannelList::NameColumn)->foreground().color(), maroon);
}

TEST_F(RuntimePageTest, FreezeDropsSamplesSoTheTraceJoinsBeforeAndAfter) {
    GraphValues values{};
    values[0] = 10.0f;
    page->addSample(values);
    page->freezeBox()->click();
    EXPECT_TRUE(page->frozen());
    for (float v : {20.0f, 30.0f, 40.0f}) {
        values[0] = v;
        page->addSample(values);
    }
    page->freezeBox()->click();
    EXPECT_FALSE(page->frozen());
    values[0] = 50.0f;
    page->addSample(values);
    for (CScopeViewerCtrl* scope : {page->scope(), page->runtimeView()->scope()}) {
        const auto& history = scope->state().samples[0];
        EXPECT_EQ(history[98], 10.0);
        EXPECT_EQ(history[99], 50.0);
        EXPECT_EQ(history[97], 0.0);
    }
}

TEST_F(RuntimePageTest, CheckBoxesAndSpaceMarkTheDocumentButAHeaderClickDoesNot) {
    showPage();
    RuntimeChannelList* list = page->channelList();
    // A header click only re-reads the boxes.
    QHeaderView* header = list->horizontalHeader();
    click(header->viewport(), QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    EXPECT_FALSE(document.IsModified());

    // A click on T1's box draws it and marks the document.
    EXPECT_FALSE(view->channelTable()[1].enabled);
    const QRect box = list->visualRect(list->model()->index(1, 0));
    click(list->viewport(), QPoint(box.left() + 10, box.center().y()));
    EXPECT_TRUE(list->item(1, 0)->checkState() == Qt::Checked);
    EXPECT_TRUE(view->channelTable()[1].enabled);
    EXPECT_TRUE(page->scope()->state().enabled[1]);
    EXPECT_TRUE(page->runtimeView()->scope()->state().enabled[1]);
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(frame->windowTitle().endsWith(" *"));

    // Space toggles the selected row (Main, on by default).
    document.SetModifiedFlag(false);
    list->selectRow(0);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(list, &space);
    EXPECT_FALSE(view->channelTable()[0].enabled);
    EXPECT_FALSE(page->scope()->state().enabled[0]);
    EXPECT_TRUE(document.IsModified());
    QApplication::sendEvent(list, &space);
    EXPECT_TRUE(view->channelTable()[0].enabled);
}

TEST_F(RuntimePageTest, DoubleClickOnNameMaxOrMinOpensSetNewValueButNotOnTheCheckBoxColumn) {
    showPage();
    RuntimeChannelList* list = page->channelList();
    SetValueAnswer cancel([](CSetValueDlg& d) { d.reject(); });
    doubleClick(list->viewport(), cellCentre(list, 2, RuntimeChannelList::CheckColumn));
    spinFor(50);
    EXPECT_EQ(cancel.opened, 0);
    for (int column : {1, 2, 3}) {
        doubleClick(list->viewport(), cellCentre(list, 2, column));
        EXPECT_EQ(cancel.opened, column) << column;
    }
    EXPECT_EQ(cancel.title, "Set new value");
    EXPECT_EQ(cancel.shownMax, "100");
    EXPECT_EQ(cancel.shownMin, "-100");
    EXPECT_EQ(view->channelTable()[2], ChannelTable()[2]) << "Cancel changes nothing";
    EXPECT_FALSE(document.IsModified());
}

TEST_F(RuntimePageTest, SetNewValueStoresTheRangeEvenUpsideDown) {
    showPage();
    SetValueAnswer answer([](CSetValueDlg& d) {
        d.maxEdit()->setText(QStringLiteral("-5"));
        d.minEdit()->setText(QStringLiteral("2.5e1"));
        d.accept();
    });
    page->editChannelRange(5);
    ASSERT_EQ(answer.opened, 1);
    EXPECT_EQ(view->channelTable()[5].max, -5.0f);
    EXPECT_EQ(view->channelTable()[5].min, 25.0f);
    EXPECT_EQ(page->channelList()->item(5, RuntimeChannelList::MaxColumn)->text(), "-5.0");
    EXPECT_EQ(page->channelList()->item(5, RuntimeChannelList::MinColumn)->text(), "25.0");
    EXPECT_TRUE(document.IsModified());
    // The graph follows the new range: min lands at the top now.
    RuntimeSample sample;
    sample.frTa = 25.0f;
    EXPECT_EQ(view->fanOut().graphValuesFor(sample)[5], -100.0f);
    sample.frTa = -5.0f;
    EXPECT_EQ(view->fanOut().graphValuesFor(sample)[5], 100.0f);
}

TEST(SetValueDialog, ShowsFifteenDigitsAndReadsWhatIsNotANumberAsZero) {
    SetValueModel model(100.0, -0.1);
    EXPECT_EQ(model.maxText(), "100");
    EXPECT_EQ(model.minText(), "-0.1");
    EXPECT_EQ(SetValueModel(1.0 / 3.0, 1e-7).maxText(), "0.333333333333333");
    EXPECT_EQ(SetValueModel(1.0 / 3.0, 1e-7).minText(), "1e-07");
    EXPECT_EQ(SetValueModel(static_cast<double>(12.3f), 0).maxText(), "12.3000001907349");
    model.accept(QStringLiteral("-"), QStringLiteral(""));
    EXPECT_EQ(model.max(), 0.0f);
    EXPECT_EQ(model.min(), 0.0f);
    model.accept(QStringLiteral("1e3"), QStringLiteral("-2.5"));
    EXPECT_EQ(model.max(), 1000.0f);
    EXPECT_EQ(model.min(), -2.5f);
    // At most 400 characters are read.
    model.accept(QString(399, QLatin1Char('0')) + QStringLiteral("15"), QStringLiteral("0"));
    EXPECT_EQ(model.max(), 1.0f);
}

TEST(SetValueDialog, EntryFieldsTakeOnlyTheNumberCharactersAsTheyAreTyped) {
    CSetValueDlg dialog(100.0, -100.0);
    dialog.show();
    for (NumericEdit* edit : {dialog.maxEdit(), dialog.minEdit()}) {
        EXPECT_EQ(edit->precision(), 15);
        edit->clear();
        for (QChar c : QStringLiteral("x-1-.5.e-E3e,+ 7")) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &key);
        }
        EXPECT_EQ(edit->text(), "-1.5e-37");
    }
    dialog.minEdit()->setCursorPosition(0);
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier, QStringLiteral("-"));
    QApplication::sendEvent(dialog.minEdit(), &minus);
    EXPECT_EQ(dialog.minEdit()->text(), "-1.5e-37") << "one leading minus only";
    dialog.accept();
    EXPECT_FLOAT_EQ(dialog.model().max(), -1.5e-37f);
}

TEST_F(RuntimePageTest, ColoursAndPenWidthReachBothChartsAndTheLists) {
    GlobalSetup setup;
    setup.colorBackground = 0x00102030;
    setup.colorGrid = 0x00A0B0C0;
    setup.channelColors[7] = 0x00123456;
    setup.penSize = 0;
    page->applyGlobalSetup(setup);
    for (CScopeViewerCtrl* scope : {page->scope(), page->runtimeView()->scope()}) {
        EXPECT_EQ(scope->state().background, 0x00102030u);
        EXPECT_EQ(scope->state().grid, 0x00A0B0C0u);
        EXPECT_EQ(scope->state().text, 0x00A0B0C0u);
        EXPECT_EQ(scope->state().channelColors[7], 0x00123456u);
        EXPECT_EQ(scope->state().penWidth, 1);
    }
    QTableWidgetItem* name = page->channelList()->item(7, RuntimeChannelList::NameColumn);
    QTableWidgetItem* max = page->channelList()->item(7, RuntimeChannelList::MaxColumn);
    EXPECT_EQ(name->text(), " Uext.ctrl ");
    EXPECT_EQ(name->foreground().color(), QColor(0x56, 0x34, 0x12));
    // Dark brown on dark brown would not read: the name gets a light ground.
    EXPECT_EQ(name->background().color(), QColor(232, 232, 232));
    EXPECT_EQ(max->background().color(), QColor(0x30, 0x20, 0x10));
    EXPECT_EQ(max->text(), "100.0");
    EXPECT_EQ(max->foreground().color(), QColor(0xC0, 0xB0, 0xA0));
    EXPECT_EQ(name->toolTip(), "Uext.ctrl is the external control temperature setpoint");
    EXPECT_EQ(page->channelList()->item(7, 0)->toolTip(), "Enable channel drawing");
    EXPECT_EQ(max->toolTip(), "Max value (top of graph)");
    EXPECT_EQ(page->runtimeView()->legend()->item(7, 0)->foreground().color(), QColor(0x56, 0x34, 0x12));
}

TEST(RuntimePageCreation, TakesThePenAndColoursOfTheStoredSetup) {
    CTQ_InterfaceDoc document;
    CMainFrame frame;
    auto* view = new CTQ_InterfaceView(&frame, &document);
    frame.setCentralWidget(view);
    const GlobalSetup saved = view->setup();
    view->setup().penSize = 4;
    view->setup().colorBackground = 0x00010203;
    document.OnNewDocument();
    view->initialUpdate();
    ASSERT_NE(view->runtimePage(), nullptr);
    EXPECT_EQ(view->runtimePage()->scope()->state().penWidth, 4);
    EXPECT_EQ(view->runtimePage()->runtimeView()->scope()->state().background, 0x00010203u);
    view->setup() = saved;
}

TEST_F(RuntimePageTest, RuntimeDataWindowOpensTogglesAndKeepsItsLayout) {
    showPage();
    QAction* command = frame->command(cmd::ViewRuntime);
    CRuntimeView* window = page->runtimeView();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "RuntimeData");
    view->updateCommandUi();
    EXPECT_TRUE(command->isEnabled());
    EXPECT_FALSE(command->isChecked());

    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(40, 40), page->scope()->mapToGlobal(QPointF(40, 40)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page->scope(), &dbl);
    EXPECT_TRUE(window->isVisible());
    view->updateCommandUi();
    EXPECT_TRUE(command->isChecked());
    command->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(command->isChecked());
    command->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(command->isChecked());

    // The chart keeps its left/top and its distances to the right and bottom
    // edges; the legend its width and its distances to the edges.
    const RecordedLayout& layout = window->recordedLayout();
    for (QSize size : {QSize(900, 600), QSize(1400, 420), QSize(640, 700)}) {
        window->resize(size);
        QCoreApplication::processEvents();
        const QRect scope = window->scope()->geometry();
        const QRect legend = window->legend()->geometry();
        EXPECT_EQ(scope.topLeft(), QPoint(layout.scopeLeft, layout.scopeTop));
        EXPECT_EQ(size.width() - (scope.x() + scope.width()), layout.scopeRightGap);
        EXPECT_EQ(size.height() - (scope.y() + scope.height()), layout.scopeBottomGap);
        EXPECT_EQ(legend.width(), layout.listWidth);
        EXPECT_EQ(size.width() - (legend.x() + legend.width()), layout.listRightGap);
        EXPECT_EQ(size.height() - (legend.y() + legend.height()), layout.listBottomGap);
        EXPECT_LT(scope.right(), legend.left());
    }
    window->resize(120, 90);
    QCoreApplication::processEvents();
    EXPECT_GE(window->frameGeometry().width(), CRuntimeView::kMinimumWidth);
    EXPECT_GE(window->frameGeometry().height(), CRuntimeView::kMinimumHeight);
    window->hide();
}

TEST_F(RuntimePageTest, LiveGraphValuesReachBothChartsFromTheRegulator) {
    sim::SimOptions options;
    options.demo = true;
    sim::VirtualRegulator regulator(options);
    std::string error;
    ASSERT_TRUE(regulator.start(&error)) << error;
    view->setup().portName = regulator.slavePath();
    view->connection().connectPort();
    // Sp1 is 10 deg C: 10 on the default -100 .. 100 scale.
    auto sp1 = [&](CScopeViewerCtrl* s) { return s->state().samples[6][kScopeHistory - 1]; };
    ASSERT_TRUE(spinUntil([&] { return sp1(page->scope()) != 0.0; }, 8000));
    EXPECT_NEAR(sp1(page->scope()), 10.0, 1e-4);
    EXPECT_EQ(sp1(page->runtimeView()->scope()), sp1(page->scope()));
    // Tr1 moves as the plate cools.
    auto tr1 = [&] { return page->scope()->state().samples[5][kScopeHistory - 1]; };
    const double first = tr1();
    EXPECT_TRUE(spinUntil([&] { return tr1() != first; }, 5000));
    view->connection().disconnectPort();
}
