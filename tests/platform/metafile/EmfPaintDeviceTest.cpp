#include "platform/metafile/EmfPaintDevice.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <string>

#include "platform/metafile/EmfWriter.h"
#include "tests/graphs/EmfFileReader.h"

namespace {

namespace rec = platform::emf::rec;

testemf::EmfFile paint(const std::function<void(QPainter&)>& draw, QSize size = QSize(400, 300))
{
    platform::emf::EmfPaintDevice device(size);
    {
        QPainter painter(&device);
        draw(painter);
    }
    const QByteArray bytes = device.bytes();
    return testemf::parse(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

TEST(EmfPaintDevice, ShapesTextAndClipBecomeRecords)
{
    const auto f = paint([](QPainter& p) {
        p.fillRect(QRect(10, 10, 100, 50), Qt::blue);
        p.setPen(QPen(Qt::red, 2, Qt::DashLine));
        p.drawLine(0, 0, 399, 299);
        p.setClipRect(QRect(0, 0, 200, 150));
        p.setPen(Qt::black);
        p.drawText(QPointF(20, 100), QStringLiteral("PC1"));
        p.setClipping(false);
        p.translate(30, 200);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), QStringLiteral("Expression"));
    });
    ASSERT_TRUE(f.wellFormed);
    EXPECT_EQ(f.signature(), platform::emf::Signature);
    EXPECT_EQ(f.nBytes(), f.bytes.size());
    EXPECT_EQ(f.nRecords(), f.records.size());
    EXPECT_EQ(f.records.back().type, rec::Eof);
    // 400 x 300 pixels at 96 per inch, in hundredths of a millimetre.
    EXPECT_EQ(f.frame(2), 10583 - 1);
    EXPECT_EQ(f.frame(3), 7938 - 1);
    EXPECT_GE(f.count(rec::PolyPolygon16), 1u);
    EXPECT_GE(f.count(rec::PolyPolyline16), 1u);
    EXPECT_EQ(f.count(rec::ExtTextOutW), 2u);
    EXPECT_EQ(f.count(rec::SaveDC), f.count(rec::RestoreDC)) << "every clip is undone";
    EXPECT_GE(f.count(rec::IntersectClipRect), 1u);
    bool rotated = false;
    for (const auto& r : f.records) {
        if (r.type == rec::ExtCreateFontIndirectW && testemf::i32(f.bytes, r.offset + 20) == 900) {
            rotated = true;
        }
    }
    EXPECT_TRUE(rotated) << "text turned upwards keeps its angle";
    bool dashed = false;
    for (const auto& r : f.records) {
        if (r.type == rec::CreatePen && testemf::u32(f.bytes, r.offset + 12) == platform::emf::pen::Dash) {
            dashed = true;
        }
    }
    EXPECT_TRUE(dashed);
}

TEST(EmfPaintDevice, TransparentPaintRecordsNothing)
{
    const auto f = paint([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 0));
        p.drawRect(10, 10, 50, 50);
    });
    ASSERT_TRUE(f.wellFormed);
    EXPECT_EQ(f.count(rec::PolyPolygon16), 0u);
    EXPECT_EQ(f.count(rec::PolyPolyline16), 0u);
}

} // namespace

namespace {

// A white-to-white gradient (as chart backgrounds are) must not turn black:
// a gradient brush's own colour is black.
TEST(EmfPaintDevice, GradientIsRecordedAsTheMeanOfItsStops)
{
    const auto f = paint([](QPainter& p) {
        QLinearGradient gradient(0, 0, 0, 100);
        gradient.setColorAt(0, QColor(255, 255, 255));
        gradient.setColorAt(1, QColor(200, 200, 200));
        p.fillRect(QRect(0, 0, 100, 100), QBrush(gradient));
    });
    ASSERT_TRUE(f.wellFormed);
    const auto* brush = f.first(rec::CreateBrushIndirect);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(testemf::u32(f.bytes, brush->offset + 16), platform::emf::rgb(228, 228, 228));
}

} // namespace
