#pragma once

// QtPagePrinter: the page printer on a Qt printer device (a system printer or
// a PDF file). Twips are turned into device pixels at the device's
// resolution; fonts keep their point sizes.
//
// PrintTarget decides where a job goes: a PDF file set for the whole program
// (tests set one), else the system's default printer, else a PDF file that
// the user names in a save dialog (machines without a printer). The print
// dialog runs through a handler that tests replace.

#include <functional>
#include <memory>
#include <string>

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

#include "platform/print/Printer.h"

class QPrinter;
class QWidget;

namespace platform {

// The Qt font of a printing font description.
[[nodiscard]] QFont toQFont(const StdFont& font);

// Where a picture printed on one page goes, in the painter's coordinates at
// the printer's resolution: inside half-inch margins on a printer that draws
// on the whole sheet, else the page's printable area.
[[nodiscard]] QRectF printablePage(const QPrinter& printer);

class QtPagePrinter final : public Printer {
public:
    // The device must outlive the printer; its paper and orientation are
    // taken over and changed through this printer.
    explicit QtPagePrinter(QPrinter& device);
    ~QtPagePrinter() override;
    QtPagePrinter(const QtPagePrinter&) = delete;
    QtPagePrinter& operator=(const QtPagePrinter&) = delete;

    [[nodiscard]] std::int16_t PaperSize() const override { return m_paper; }
    void setPaperSize(std::int16_t size) override;
    [[nodiscard]] std::int16_t Orientation() const override { return m_orientation; }
    void setOrientation(std::int16_t orientation) override;
    [[nodiscard]] double ScaleWidth() const override;
    [[nodiscard]] double ScaleHeight() const override;
    void setFont(const StdFont& font) override;
    [[nodiscard]] double TextWidth(std::string_view text) const override;
    [[nodiscard]] double TextHeight(std::string_view text) const override;
    void Line(double x1, double y1, double x2, double y2) override;
    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;
    [[nodiscard]] std::string refusal() const override;

    // The painter of the open document (opening it when needed), for drawing
    // that the line-printer calls do not cover. Coordinates are device pixels.
    // When the device refuses to open the document the painter stays
    // inactive (it is not asked again) and refusal() says why.
    [[nodiscard]] QPainter& painter();
    // Device pixels per twip.
    [[nodiscard]] double pixelsPerTwip() const noexcept { return m_scale; }

protected:
    void drawText(double x, double y, std::string_view text) override;

private:
    void applyLayout();

    QPrinter& m_device;
    QPainter m_painter;
    QFont m_qfont;
    double m_scale;
    std::int16_t m_paper;
    std::int16_t m_orientation;
    bool m_refused = false;
};

class PrintTarget {
public:
    // Every job writes this PDF file (empty: jobs go to a printer again).
    static void setPdfOutput(const QString& path);
    [[nodiscard]] static QString pdfOutput();
    [[nodiscard]] static bool hasSystemPrinter();
    // True when the next job asks the user for its PDF file (no PDF file is
    // set and the machine has no printer). That question is the whole choice
    // of where the job goes: no print dialog follows it.
    [[nodiscard]] static bool asksForPdfFile();
    // A device for a new job named `jobName`, or nothing when the user
    // cancelled the choice of a PDF file on a machine without a printer.
    [[nodiscard]] static std::unique_ptr<QPrinter> jobPrinter(const QString& jobName);

    // Shows the print dialog for the device; true when the user chose to print.
    using DialogHandler = std::function<bool(QPrinter&, QWidget*)>;
    static bool runPrintDialog(QPrinter& device, QWidget* parent);
    // Replaces the dialog (tests); an empty handler restores Qt's dialog.
    static void setDialogHandler(DialogHandler handler);
};

} // namespace platform
