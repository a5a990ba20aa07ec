// The colour list of the global setup dialog: one row per graph colour
// (background, grid, the 19 channels), its name in column "Item" and a
// "COLOR TEST" sample in column "Color", drawn in the row's colour on the
// background colour so a new background shows behind every sample at once.
#pragma once

#include <QColor>
#include <QTreeWidget>
#include <array>
#include <cstdint>

#include "ui/dialogs/global_setup_model.h"

class ColourTestList : public QTreeWidget {
    Q_OBJECT
public:
    using Colours = std::array<std::uint32_t, GlobalSetupValues::kColourRows>;

    explicit ColourTestList(QWidget* parent = nullptr);

    void setColours(const Colours& colours);
    const Colours& colours() const { return colours_; }
    void setRowColour(int row, std::uint32_t colour);

    // Draws one "COLOR TEST" cell; a function of the colours and a painter.
    static void paintColourTest(QPainter& painter, const QRect& rect, const Colours& colours, int row,
                                bool selected, const QPalette& palette);

    static QColor toQColor(std::uint32_t colourRef);
    static std::uint32_t toColourRef(const QColor& colour);

signals:
    void rowDoubleClicked(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Colours colours_ = GlobalSetupValues::defaultColours();
};
