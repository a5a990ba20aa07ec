// The page-layout service on an image: positions in inches, the y it
// returns, cutting to the box, the box and its caption, the faces.
#include <gtest/gtest.h>

#include <clocale>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include "report/page_layout.h"

using report::mm;
using report::PageLayout;

namespace {

constexpr double kDpi = 200;

class PageLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        image = QImage(qRound(8.0 * kDpi), qRound(10.0 * kDpi), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kDpi / 0.0254));
        image.fill(Qt::white);
        painter.begin(&image);
        layout = std::make_unique<PageLayout>(painter, QRectF(0, 0, image.width(), image.height()));
    }
    void TearDown() override {
        if (painter.isActive()) painter.end();
    }
    // Height of one line of `face` at `points`, in inches.
    double lineHeight(const QString& face, double points, bool bold = false) {
        QFont font(PageLayout::resolveFamily(face));
        font.setPointSizeF(points);
        font.setBold(bold);
        return QFontMetricsF(font, &image).height() / kDpi;
    }
    bool darkAt(int x, int y) const { return qGray(image.pixel(x, y)) < 128; }

    QImage image;
    QPainter painter;
    std::unique_ptr<PageLayout> layout;
};

}  // namespace

TEST_F(PageLayoutTest, PageSizeAndTextPositionsAreInInches) {
    EXPECT_DOUBLE_EQ(layout->pageWidth(), 8.0);
    EXPECT_DOUBLE_EQ(layout->pageHeight(), 10.0);

    const double next = layout->PrintText(1.0, 2.0, report::kSingleLine, 12, "Value %0.2f", 3.14159);
    ASSERT_EQ(layout->printed().size(), 1u);
    const report::PrintedText& item = layout->printed().front();
    EXPECT_EQ(item.text, "Value 3.14");
    EXPECT_DOUBLE_EQ(item.rect.left(), 2.0);
    EXPECT_DOUBLE_EQ(item.rect.top(), 1.0);
    EXPECT_NEAR(next, 1.0 + lineHeight("Times New Roman", 12), 1e-9);

    // Ink lies right of and below the position, in device units.
    painter.end();
    bool inkBefore = false, inkAfter = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (darkAt(x, y)) (x < 2.0 * kDpi - 1 || y < 1.0 * kDpi - 1 ? inkBefore : inkAfter) = true;
    EXPECT_FALSE(inkBefore);
    EXPECT_TRUE(inkAfter);
}

TEST_F(PageLayoutTest, LineSpacingScalesTheReturnedPosition) {
    layout->SetFontFace("Courier New");
    const double single = layout->PrintText(1.0, 1.0, report::kSingleLine, 9, "a");
    layout->SetLineSpacing(1.5);
    const double spaced = layout->PrintText(1.0, 1.0, report::kSingleLine, 9, "a");
    EXPECT_NEAR(single - 1.0, lineHeight("Courier New", 9), 1e-9);
    EXPECT_NEAR(spaced - 1.0, 1.5 * (single - 1.0), 1e-9);
}

TEST_F(PageLayoutTest, BoxFrameSitsOnItsEdgesAndInBoxPositionsAreRelative) {
    const auto box = layout->CreateBox(2.0, mm(15), 9.0, 8.0 - mm(15), "File Information");
    ASSERT_TRUE(box);
    EXPECT_DOUBLE_EQ(box->rect.left(), mm(15));
    EXPECT_DOUBLE_EQ(box->rect.right(), 8.0 - mm(15));
    EXPECT_DOUBLE_EQ(box->rect.top(), 2.0);
    EXPECT_DOUBLE_EQ(box->rect.bottom(), 9.0);

    const double y = layout->PrintInBox(*box, mm(2), mm(3), report::kBold | report::kSingleLine, 12, "%s", "Base");
    const report::PrintedText& heading = layout->printed().back();
    EXPECT_DOUBLE_EQ(heading.rect.left(), mm(15) + mm(3));
    EXPECT_DOUBLE_EQ(heading.rect.top(), 2.0 + mm(2));
    EXPECT_NEAR(y, mm(2) + lineHeight("Times New Roman", 12, true), 1e-9) << "returned y is box-relative";

    // The caption: bold, centred on the top edge.
    bool captionFound = false;
    for (const report::PrintedText& item : layout->printed()) {
        if (item.text != "File Information") continue;
        captionFound = true;
        EXPECT_TRUE(item.bold);
        EXPECT_DOUBLE_EQ(item.pointSize, 8);
        EXPECT_NEAR(item.rect.center().x(), 4.0, 1e-6);
        EXPECT_LT(item.rect.top(), 2.0);
        EXPECT_GT(item.rect.bottom(), 2.0);
    }
    EXPECT_TRUE(captionFound);

    // The frame in pixels: dark on the edge columns and rows, nothing just outside.
    painter.end();
    const int left = qRound(mm(15) * kDpi), right = qRound((8.0 - mm(15)) * kDpi);
    const int top = qRound(2.0 * kDpi), bottom = qRound(9.0 * kDpi);
    const int midY = (top + bottom) / 2;
    EXPECT_TRUE(darkAt(left, midY) || darkAt(left - 1, midY));
    EXPECT_TRUE(darkAt(right, midY) || darkAt(right - 1, midY));
    EXPECT_TRUE(darkAt(left + 50, bottom) || darkAt(left + 50, bottom - 1));
    EXPECT_FALSE(darkAt(left - 4, midY));
    EXPECT_FALSE(darkAt(right + 4, midY));
    EXPECT_FALSE(darkAt(left + 50, bottom + 4));
}

TEST_F(PageLayoutTest, SingleLinesAreCutToTheBoxAndLinesBelowItAreNotDrawn) {
    const auto box = layout->CreateBox(1.0, 1.0, 2.0, 3.0);
    ASSERT_TRUE(box);
    layout->SetFontFace("Courier New");
    const QString longText = QString(300, QLatin1Char('W'));
    layout->PrintInBoxString(*box, 0.1, 0.2, report::kSingleLine, 9, longText + "\nsecond line");
    const report::PrintedText& cut = layout->printed().back();
    EXPECT_TRUE(longText.startsWith(cut.text));
    EXPECT_LT(cut.text.size(), longText.size());
    EXPECT_GT(cut.text.size(), 10);
    EXPECT_LE(cut.rect.right(), box->rect.right() + 1e-9);

    // Only the first line of a text with line breaks.
    layout->PrintInBoxString(*box, 0.3, 0.2, report::kSingleLine, 9, "first\r\nsecond");
    EXPECT_EQ(layout->printed().back().text, "first");

    // A right limit cuts earlier (a column).
    layout->SetRightLimit(0.8);
    layout->PrintInBoxString(*box, 0.5, 0.2, report::kSingleLine, 9, longText);
    EXPECT_LE(layout->printed().back().rect.right(), box->rect.left() + 0.8 + 1e-9);
    layout->SetRightLimit(0);

    // Past the bottom: the position moves on, nothing is drawn.
    const std::size_t before = layout->printed().size();
    const double next = layout->PrintInBox(*box, 0.95, 0.2, report::kSingleLine, 9, "%s", "too low");
    EXPECT_GT(next, 0.95);
    EXPECT_EQ(layout->printed().size(), before);
}

TEST_F(PageLayoutTest, WrappedTextTakesSeveralLinesWithinTheWidth) {
    layout->SetRightInset(1.0);
    const QString words = QString("word ").repeated(80).trimmed();
    const double next = layout->PrintTextString(8.0, 1.0, report::kWrap, 8, words);
    const report::PrintedText& item = layout->printed().back();
    EXPECT_LE(item.rect.right(), 7.0 + 1e-6);
    EXPECT_GT(next - 8.0, 3 * lineHeight("Times New Roman", 8));
}

TEST_F(PageLayoutTest, ABoxOutsideThePageOrEmptyIsRefused) {
    EXPECT_FALSE(layout->CreateBox(2.0, 1.0, 2.0, 3.0));   // no height
    EXPECT_FALSE(layout->CreateBox(2.0, 3.0, 4.0, 1.0));   // right before left
    EXPECT_FALSE(layout->CreateBox(2.0, 1.0, 11.0, 3.0));  // below the page
    EXPECT_TRUE(layout->boxes().empty());
}

TEST_F(PageLayoutTest, FaceNamesResolveToMetricCompatibleFamilies) {
    EXPECT_EQ(layout->fontFace(), "Times New Roman");
    EXPECT_EQ(layout->SetFontFace("Courier New"), "Times New Roman");
    EXPECT_EQ(layout->SetFontFace("Times New Roman"), "Courier New");

    QFont mono(PageLayout::resolveFamily("Courier New"));
    EXPECT_TRUE(QFontInfo(mono).fixedPitch()) << PageLayout::resolveFamily("Courier New").toStdString();
    QFont serif(PageLayout::resolveFamily("Times New Roman"));
    EXPECT_FALSE(QFontInfo(serif).fixedPitch());
    // With fonts-liberation2 installed (the setup script installs it).
    if (QFontDatabase::families().contains("Liberation Mono")) {
        EXPECT_EQ(PageLayout::resolveFamily("Courier New"), "Liberation Mono");
        EXPECT_EQ(PageLayout::resolveFamily("Times New Roman"), "Liberation Serif");
    }
    // A face nobody has falls back to an installed family.
    EXPECT_TRUE(QFontDatabase::families().contains(PageLayout::resolveFamily("No Such Face Mono")));
}

TEST_F(PageLayoutTest, NumbersKeepTheDecimalPointInAnyLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    layout->PrintText(1.0, 1.0, report::kSingleLine, 9, "%0.2f", 20.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(layout->printed().back().text, "20.00") << (german ? "German" : "C") << " locale";
}
