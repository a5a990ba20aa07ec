#include "report/page_layout.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <cstdarg>

namespace report {

namespace {

struct FaceSubstitute {
    const char* face;
    bool monospace;
    const char* families[4];  // metric-compatible first
};

// The report names the faces of the printed sheet; on a Linux desktop the
// metric-compatible families (fonts-liberation2) stand in for them.
const FaceSubstitute kSubstitutes[] = {
    {"Times New Roman", false, {"Liberation Serif", "Tinos", "Nimbus Roman", "DejaVu Serif"}},
    {"Courier New", true, {"Liberation Mono", "Cousine", "Nimbus Mono PS", "DejaVu Sans Mono"}},
    {"Arial", false, {"Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans"}},
};

// The first line of `text`, tabs as blanks.
QString firstLine(const QString& text) {
    qsizetype end = text.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) {
            end = i;
            break;
        }
    }
    QString line = text.left(end);
    line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return line;
}

// The longest head of `text` whose advance fits `width` (device units),
// never splitting a surrogate pair.
QString cutToWidth(const QString& text, const QFontMetricsF& fm, qreal width) {
    if (fm.horizontalAdvance(text) <= width) return text;
    qsizetype lo = 0, hi = text.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (fm.horizontalAdvance(text.left(mid)) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo > 0 && text[lo - 1].isHighSurrogate()) --lo;
    return text.left(lo);
}

}  // namespace

PageLayout::PageLayout(QPainter& painter, const QRectF& printable) : painter_(painter), printable_(printable) {
    if (QPaintDevice* device = painter.device()) {
        if (device->logicalDpiX() > 0) dpiX_ = device->logicalDpiX();
        if (device->logicalDpiY() > 0) dpiY_ = device->logicalDpiY();
    }
    pageWidth_ = printable_.width() / dpiX_;
    pageHeight_ = printable_.height() / dpiY_;
}

QString PageLayout::resolveFamily(const QString& face) {
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(face, Qt::CaseInsensitive)) return face;
    bool monospace = face.contains(QLatin1String("Courier"), Qt::CaseInsensitive) ||
                     face.contains(QLatin1String("Mono"), Qt::CaseInsensitive);
    for (const FaceSubstitute& s : kSubstitutes) {
        if (face.compare(QLatin1String(s.face), Qt::CaseInsensitive) != 0) continue;
        monospace = s.monospace;
        for (const char* family : s.families)
            if (family && installed.contains(QLatin1String(family), Qt::CaseInsensitive))
                return QLatin1String(family);
    }
    // The generic families fontconfig resolves to an installed face.
    QFont generic;
    generic.setFamilies({monospace ? QStringLiteral("monospace") : QStringLiteral("serif")});
    generic.setStyleHint(monospace ? QFont::TypeWriter : QFont::Serif);
    return QFontInfo(generic).family();
}

QString PageLayout::SetFontFace(const QString& face) {
    QString previous = face_;
    face_ = face;
    return previous;
}

QFont PageLayout::fontFor(unsigned style, double pointSize) const {
    QFont font(resolveFamily(face_));
    const bool monospace = face_.contains(QLatin1String("Courier"), Qt::CaseInsensitive) ||
                           face_.contains(QLatin1String("Mono"), Qt::CaseInsensitive);
    font.setStyleHint(monospace ? QFont::TypeWriter : QFont::Serif);
    font.setPointSizeF(pointSize);
    font.setBold(style & kBold);
    return font;
}

QPointF PageLayout::toDevice(double x, double y) const {
    return {printable_.left() + x * dpiX_, printable_.top() + y * dpiY_};
}

double PageLayout::draw(double y, double x, double right, double clipBottom, unsigned style, double pointSize,
                        QString text, bool inBox) {
    const QFont font = fontFor(style, pointSize);
    painter_.setFont(font);
    const QFontMetricsF fm(font, painter_.device());
    const double lineHeight = fm.height() / dpiY_;
    const double width = std::max(0.0, right - x);
    const QPointF topLeft = toDevice(x, y);
    PrintedText item;
    item.family = QFontInfo(font).family();
    item.pointSize = pointSize;
    item.bold = style & kBold;
    item.inBox = inBox;

    if (style & kWrap) {
        const QRectF area(topLeft, QSizeF(width * dpiX_, (clipBottom - y) * dpiY_));
        if (area.height() <= 0) return y + lineHeight * lineSpacing_;
        const int flags = Qt::TextWordWrap | Qt::AlignTop | ((style & kCentered) ? Qt::AlignHCenter : Qt::AlignLeft);
        QRectF used = fm.boundingRect(area, flags, text);
        used = used.intersected(area);
        painter_.save();
        painter_.setClipRect(area);
        if (style & kBackground) painter_.fillRect(used, Qt::white);
        painter_.setPen(Qt::black);
        painter_.drawText(area, flags, text);
        painter_.restore();
        item.text = text;
        item.rect = QRectF((used.left() - printable_.left()) / dpiX_, y, used.width() / dpiX_, used.height() / dpiY_);
        printed_.push_back(item);
        return y + std::max(lineHeight, used.height() / dpiY_) * lineSpacing_;
    }

    // One line: cut to what fits between x and the right end.
    text = cutToWidth(firstLine(text), fm, width * dpiX_);
    const double advance = fm.horizontalAdvance(text) / dpiX_;
    const double left = (style & kCentered) ? x + (width - advance) / 2 : x;
    const double next = y + lineHeight * lineSpacing_;
    if (y + lineHeight > clipBottom + 1e-9) return next;  // below the area: not drawn
    const QPointF origin = toDevice(left, y);
    if (style & kBackground) {
        const double pad = fm.averageCharWidth() / 2;
        painter_.fillRect(QRectF(origin.x() - pad, origin.y(), advance * dpiX_ + 2 * pad, fm.height()), Qt::white);
    }
    painter_.setPen(Qt::black);
    painter_.drawText(QPointF(origin.x(), origin.y() + fm.ascent()), text);
    item.text = text;
    item.rect = QRectF(left, y, advance, lineHeight);
    printed_.push_back(item);
    return next;
}

double PageLayout::PrintTextString(double y, double x, unsigned style, double pointSize, const QString& text) {
    const double right = rightLimit_ > 0 ? rightLimit_ : pageWidth_ - rightInset_;
    return draw(y, x, right, pageHeight_, style, pointSize, text, false);
}

double PageLayout::PrintText(double y, double x, unsigned style, double pointSize, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    return PrintTextString(y, x, style, pointSize, text);
}

std::optional<PrintBox> PageLayout::CreateBox(double top, double left, double bottom, double right,
                                              const QString& caption) {
    const double eps = 1e-9;
    if (!(bottom > top) || !(right > left) || top < -eps || left < -eps || bottom > pageHeight_ + eps ||
        right > pageWidth_ + eps)
        return std::nullopt;
    PrintBox box{QRectF(left, top, right - left, bottom - top), caption};
    const QPointF tl = toDevice(left, top);
    const QPointF br = toDevice(right, bottom);
    painter_.save();
    QPen pen(Qt::black);
    pen.setWidthF(dpiX_ / 96.0);  // about a quarter of a point
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRectF(tl, br));
    painter_.restore();
    boxes_.push_back(box);
    if (!caption.isEmpty()) {
        // Bold 8 pt, centred on the top edge, on a white ground that breaks the frame line.
        const QFont font = fontFor(kBold, 8);
        const double half = QFontMetricsF(font, painter_.device()).height() / dpiY_ / 2;
        draw(top - half, left, right, pageHeight_, kBold | kCentered | kBackground | kSingleLine, 8, caption, false);
    }
    return box;
}

double PageLayout::PrintInBoxString(const PrintBox& box, double y, double x, unsigned style, double pointSize,
                                    const QString& text) {
    const double inner = box.rect.width() - rightInset_;
    const double right = rightLimit_ > 0 ? std::min(rightLimit_, inner) : inner;
    const double next = draw(box.rect.top() + y, box.rect.left() + x, box.rect.left() + right, box.rect.bottom(),
                             style, pointSize, text, true);
    return next - box.rect.top();
}

double PageLayout::PrintInBox(const PrintBox& box, double y, double x, unsigned style, double pointSize,
                              const char* format, ...) {
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    return PrintInBoxString(box, y, x, style, pointSize, text);
}

}  // namespace report
