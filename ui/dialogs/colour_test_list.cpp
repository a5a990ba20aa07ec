#include "ui/dialogs/colour_test_list.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kColourColumn = 1;

class ColourTestDelegate : public QStyledItemDelegate {
public:
    explicit ColourTestDelegate(ColourTestList* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (index.column() != kColourColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        ColourTestList::paintColourTest(*painter, option.rect, list_->colours(), index.row(),
                                        option.state & QStyle::State_Selected, option.palette);
    }

private:
    ColourTestList* list_;
};

}  // namespace

QColor ColourTestList::toQColor(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

std::uint32_t ColourTestList::toColourRef(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

ColourTestList::ColourTestList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Color")});
    headerItem()->setTextAlignment(kColourColumn, Qt::AlignCenter);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemsExpandable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    setItemDelegate(new ColourTestDelegate(this));
    for (int row = 0; row < GlobalSetupValues::kColourRows; ++row) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, QString::fromStdString(global_setup::colourRowLabel(row)));
        item->setText(kColourColumn, QStringLiteral("COLOR TEST"));
    }
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        const int row = indexOfTopLevelItem(item);
        if (row >= 0) emit rowDoubleClicked(row);
    });
}

void ColourTestList::setColours(const Colours& colours) {
    colours_ = colours;
    viewport()->update();
}

void ColourTestList::setRowColour(int row, std::uint32_t colour) {
    if (row < 0 || row >= GlobalSetupValues::kColourRows) return;
    colours_[static_cast<std::size_t>(row)] = colour & 0x00FFFFFF;
    viewport()->update();   // a new background shows behind every sample
}

void ColourTestList::paintColourTest(QPainter& painter, const QRect& rect, const Colours& colours, int row,
                                     bool selected, const QPalette& palette) {
    const global_setup::ColourTestCell cell = global_setup::colourTestCell(colours, row);
    painter.save();
    painter.fillRect(rect, toQColor(cell.fill));
    painter.setPen(toQColor(cell.text));
    painter.drawText(rect, Qt::AlignCenter, QStringLiteral("COLOR TEST"));
    if (selected) {
        // The sample keeps its colours; the selection shows as a frame.
        painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
    }
    painter.restore();
}

// Column "Item" takes 25/64 of the width, "Color" the rest.
void ColourTestList::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    const int width = viewport()->width();
    setColumnWidth(0, std::max(fontMetrics().horizontalAdvance(QStringLiteral("--Background--  ")),
                               (width - 2) * 25 / 64));
}
