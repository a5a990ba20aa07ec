// The auto-tune dialog's live view: Tr1 against the operating point and the
// main output, over the whole run. Drawing is a function of the trace and a
// QPainter, so that tests render it into an image.
#pragma once

#include <QWidget>
#include <vector>

struct AutotuneTrace {
    struct Point {
        double seconds = 0;
        double actual = 0;   // Tr1, in the window's unit
        double output = 0;   // %, > 0 heats
    };
    std::vector<Point> points;
    double operatingPoint = 0;   // in the window's unit
    double outputLimit = 100;    // %
};

void paintAutotuneChart(QPainter& painter, const QRect& area, const AutotuneTrace& trace);

class AutotuneChart : public QWidget {
public:
    explicit AutotuneChart(QWidget* parent = nullptr);
    void setTrace(const AutotuneTrace& trace);
    const AutotuneTrace& trace() const { return trace_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AutotuneTrace trace_;
};
