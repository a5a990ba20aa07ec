// A small page-layout service over QPainter: text at positions in inches,
// on the page or inside a framed box, each call returning the y of the next
// line. It works on any paint device with a resolution (printer, PDF
// writer, image); every item it draws is also kept in a list so tests can
// check the geometry.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

namespace report {

// Style bits of a text call.
enum TextStyle : unsigned {
    kRegular = 0,
    kBold = 1u << 0,
    kCentered = 1u << 1,    // centred in the width up to the right limit
    kBackground = 1u << 2,  // white fill behind the text
    kSingleLine = 1u << 3,  // first line only, cut to the width that is left
    kWrap = 1u << 4,        // word-wrapped to the width that is left
};

inline constexpr double kMmPerInch = 25.4;
inline double mm(double millimetres) { return millimetres / kMmPerInch; }

// A framed box; positions inside it are relative to its top-left corner.
struct PrintBox {
    QRectF rect;  // inches, page coordinates
    QString caption;
};

// What one call drew, in inches on the page.
struct PrintedText {
    QString text;
    QRectF rect;     // the line box: x, y, advance width, line height
    QString family;  // the family the device resolved
    double pointSize = 0;
    bool bold = false;
    bool inBox = false;
};

class PageLayout {
public:
    // `painter` is active on its device; `printable` is the printable area in
    // device units (painter coordinates), usually the device's full rect.
    PageLayout(QPainter& painter, const QRectF& printable);

    double pageWidth() const { return pageWidth_; }   // inches
    double pageHeight() const { return pageHeight_; } // inches
    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

    // printf-style, locale independent (a decimal point always).
    double PrintText(double y, double x, unsigned style, double pointSize, const char* format, ...)
        __attribute__((format(printf, 6, 7)));
    double PrintTextString(double y, double x, unsigned style, double pointSize, const QString& text);

    // No box when the rectangle is empty or leaves the page.
    std::optional<PrintBox> CreateBox(double top, double left, double bottom, double right,
                                      const QString& caption = {});
    double PrintInBox(const PrintBox& box, double y, double x, unsigned style, double pointSize,
                      const char* format, ...) __attribute__((format(printf, 7, 8)));
    double PrintInBoxString(const PrintBox& box, double y, double x, unsigned style, double pointSize,
                            const QString& text);

    // Returns the previous face name.
    QString SetFontFace(const QString& face);
    QString fontFace() const { return face_; }
    void SetLineSpacing(double factor) { lineSpacing_ = factor; }
    // Right end (inches, in the coordinates of the next calls) that single
    // lines are cut to and wrapped text wraps at; 0: the page's or box's own
    // right edge less the inset.
    void SetRightLimit(double x) { rightLimit_ = x; }
    // Distance kept from the right edge of the page or box when no limit is set.
    void SetRightInset(double inches) { rightInset_ = inches; }

    const std::vector<PrintedText>& printed() const { return printed_; }
    const std::vector<PrintBox>& boxes() const { return boxes_; }

    // The installed family that stands in for a face name: the face itself,
    // else a metric-compatible family, else the generic serif or monospace.
    static QString resolveFamily(const QString& face);

private:
    QFont fontFor(unsigned style, double pointSize) const;
    // Draws in page inches inside [x, right]; clipBottom limits the lines.
    double draw(double y, double x, double right, double clipBottom, unsigned style, double pointSize,
                QString text, bool inBox);
    QPointF toDevice(double x, double y) const;

    QPainter& painter_;
    QRectF printable_;
    double dpiX_ = 72;
    double dpiY_ = 72;
    double pageWidth_ = 0;
    double pageHeight_ = 0;
    QString face_ = QStringLiteral("Times New Roman");
    double lineSpacing_ = 1.0;
    double rightLimit_ = 0;
    double rightInset_ = 0;
    std::vector<PrintedText> printed_;
    std::vector<PrintBox> boxes_;
};

}  // namespace report
