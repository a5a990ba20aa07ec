// --screenshots DIR: every page and dialog written as a PNG, one step after
// another. A step shows what it pictures, saves its file(s) into `dir` and
// then calls `next` (at once or from a timer); the last step quits.
#pragma once

#include <QString>
#include <functional>

class CMainFrame;
class CTQ_InterfaceView;

struct ScreenshotContext {
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
    QString dir;
};

using ScreenshotNext = std::function<void()>;
using ScreenshotStep = void (*)(const ScreenshotContext&, ScreenshotNext next);

// The steps, each defined beside what it pictures.
void shootMainWindow(const ScreenshotContext& ctx, ScreenshotNext next);
void shootAboutBox(const ScreenshotContext& ctx, ScreenshotNext next);
void shootCompareDialog(const ScreenshotContext& ctx, ScreenshotNext next);
void setRuntimeScales(const ScreenshotContext& ctx, ScreenshotNext next);
void shootRuntimePage(const ScreenshotContext& ctx, ScreenshotNext next);
void shootRuntimeWindow(const ScreenshotContext& ctx, ScreenshotNext next);
void shootGlobalSetup(const ScreenshotContext& ctx, ScreenshotNext next);
void shootGlobalSetupService(const ScreenshotContext& ctx, ScreenshotNext next);
void shootFirmwareDialog(const ScreenshotContext& ctx, ScreenshotNext next);
void shootTrend(const ScreenshotContext& ctx, ScreenshotNext next);
void shootHelpWindow(const ScreenshotContext& ctx, ScreenshotNext next);
void shootParameterPages(const ScreenshotContext& ctx, ScreenshotNext next);
void shootCalibrationEditor(const ScreenshotContext& ctx, ScreenshotNext next);
void shootPrintSetup(const ScreenshotContext& ctx, ScreenshotNext next);
void shootAutotune(const ScreenshotContext& ctx, ScreenshotNext next);

// Runs every step in order, then quits the application.
void takeScreenshots(CMainFrame* frame, CTQ_InterfaceView* view, const QString& dir);
