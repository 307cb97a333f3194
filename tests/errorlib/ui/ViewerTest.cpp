#include <QApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cmath>

#include "errorlib/ui/CSplit.h"
#include "errorlib/ui/FDiags.h"
#include "errorlib/ui/FError.h"
#include "tests/errorlib/ui/WindowFixture.h"

using namespace rampart;
using errorlib_ui_test::WindowTest;
namespace reg = platform::registry;

namespace {

class ViewerTest : public WindowTest {
protected:
    [[nodiscard]] std::string value(const std::string& name)
    {
        reg::Key key;
        reg::Value v;
        if (m_registry.openKey(reg::Hive::CurrentUser, FDiags::KeyPath, reg::KeyRead, key) != 0 ||
            m_registry.queryValue(key, name, v) != 0) {
            return "<missing>";
        }
        if (v.type == reg::RegDword) {
            std::uint32_t n = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                n |= static_cast<std::uint32_t>(v.data[i]) << (8 * i);
            }
            return std::to_string(static_cast<std::int32_t>(n));
        }
        return std::string(v.data.begin(), v.data.end() - 1);
    }

    [[nodiscard]] static double twipsPerPixel(const QWidget& w) { return 1440.0 / w.logicalDpiY(); }

    static int count(const QString& text, const QString& what) { return static_cast<int>(text.count(what)); }
};

void press(QWidget* w, int y, QEvent::Type type)
{
    QMouseEvent e(type, QPointF(2, y), w->mapToGlobal(QPointF(2, y)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST_F(ViewerTest, TraceLinesArriveWhileTracingIsOn)
{
    initialize();
    FDiags* viewer = m_ui->viewer();
    EXPECT_TRUE(viewer == nullptr || !viewer->isVisible());
    m_handler->SetTrace(true);
    viewer = m_ui->viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), "Quorin - Rampart [Trace & Diagnostics]");
    m_handler->TraceEnter("MMain", "StartUp");
    m_handler->TraceString("reading the settings");
    m_handler->TraceExit("MMain", "StartUp");
    EXPECT_EQ(viewer->txtTrace()->toPlainText().toStdString(),
              "MMain..\n=>..StartUp\nreading the settings\n<=..StartUp\n");
    m_handler->SetTrace(false);
    EXPECT_FALSE(viewer->isVisible());
    m_handler->TraceString("not shown");
    EXPECT_EQ(count(viewer->txtTrace()->toPlainText(), QStringLiteral("not shown")), 0);
    EXPECT_TRUE(viewer->txtDiags()->toPlainText().isEmpty());
}

TEST_F(ViewerTest, ErrorReportsArriveWhileDebugModeIsOn)
{
    initialize();
    const auto answerCancel = [this] { whenShown([this] { m_ui->errorDialog()->cmdButton(1)->click(); }); };
    answerCancel();
    (void)raise();
    EXPECT_TRUE(m_ui->viewer() == nullptr || m_ui->viewer()->txtDiags()->toPlainText().isEmpty());

    m_handler->SetDebugMode(true);
    answerCancel();
    (void)raise();
    FDiags* viewer = m_ui->viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible()) << "a new report shows the viewer";
    QString diags = viewer->txtDiags()->toPlainText();
    EXPECT_EQ(count(diags, QStringLiteral("Rampart Error Report")), 1);
    EXPECT_EQ(count(diags, QStringLiteral("Procedure        = OpenBook")), 1);
    EXPECT_EQ(count(diags, QStringLiteral("client diagnostics")), 1);
    EXPECT_EQ(count(diags, QStringLiteral("\r")), 0) << "line ends shown as line breaks";

    // The next report replaces the last; the collapse report of the same error follows it.
    viewer->hide();
    answerCancel();
    (void)raise();
    try {
        m_handler->PropagateError(rmpBoundaryNone);
    } catch (const platform::Error&) {
    }
    EXPECT_TRUE(viewer->isVisible());
    diags = viewer->txtDiags()->toPlainText();
    EXPECT_EQ(count(diags, QStringLiteral("Rampart Error Report")), 1);
}

TEST_F(ViewerTest, FirstStartUsesTheDesignedSizeAndDefaultFonts)
{
    FDiags viewer("Quorin", m_dialogs);
    for (QPlainTextEdit* pane : {viewer.txtTrace(), viewer.txtDiags()}) {
        EXPECT_EQ(pane->font().family(), "Lucida Console");
        EXPECT_EQ(pane->font().pointSize(), 8);
        EXPECT_FALSE(pane->font().bold());
        EXPECT_FALSE(pane->font().italic());
        EXPECT_TRUE(pane->isReadOnly());
    }
    const QWidget* client = viewer.picSplit()->parentWidget();
    EXPECT_EQ(viewer.picSplit()->y(), client->height() / 3);
    EXPECT_EQ(viewer.txtTrace()->height(), viewer.picSplit()->y());
    EXPECT_EQ(viewer.txtDiags()->y(), viewer.picSplit()->geometry().bottom() + 1);
    EXPECT_EQ(viewer.txtDiags()->geometry().bottom() + 1, client->height());
    EXPECT_EQ(value("Width"), "<missing>") << "loading writes nothing";
}

TEST_F(ViewerTest, SizeAndFontsComeBackOnTheNextStart)
{
    {
        FDiags viewer("Quorin", m_dialogs);
        viewer.Display();
        viewer.resize(700, 520);
        const double tpp = twipsPerPixel(viewer);
        EXPECT_EQ(value("Width"), std::to_string(std::lround(700 * tpp)));
        EXPECT_EQ(value("Height"), std::to_string(std::lround(520 * tpp)));
        m_dialogs.chooseFont({"DejaVu Sans Mono", 11.4, true, false});
        viewer.mnuEditFontTrace_Click();
        ASSERT_EQ(m_dialogs.fontRequests().size(), 1U);
        EXPECT_EQ(m_dialogs.fontRequests()[0].face, "Lucida Console");
        EXPECT_EQ(m_dialogs.fontRequests()[0].size, 8);
        m_dialogs.chooseFont({"DejaVu Serif", 10, false, true});
        viewer.mnuEditFontDiags_Click();
    }
    EXPECT_EQ(value("Trace Font Face"), "DejaVu Sans Mono");
    EXPECT_EQ(value("Trace Font Size"), "11") << "whole points";
    EXPECT_EQ(value("Trace Font Bold"), "-1");
    EXPECT_EQ(value("Trace Font Italic"), "0");
    EXPECT_EQ(value("Diags Font Italic"), "-1");

    FDiags again("Quorin", m_dialogs);
    EXPECT_EQ(again.size(), QSize(700, 520));
    EXPECT_EQ(again.txtTrace()->font().family(), "DejaVu Sans Mono");
    EXPECT_EQ(again.txtTrace()->font().pointSize(), 11);
    EXPECT_TRUE(again.txtTrace()->font().bold());
    EXPECT_EQ(again.txtDiags()->font().family(), "DejaVu Serif");
    EXPECT_TRUE(again.txtDiags()->font().italic());
    EXPECT_FALSE(again.txtDiags()->font().bold());
}

TEST_F(ViewerTest, CancelledFontDialogChangesAndWritesNothing)
{
    FDiags viewer("Quorin", m_dialogs);
    m_dialogs.cancelFont();
    viewer.mnuEditFontTrace_Click();
    EXPECT_EQ(viewer.txtTrace()->font().family(), "Lucida Console");
    EXPECT_EQ(value("Trace Font Face"), "<missing>");
    EXPECT_EQ(value("Trace Font Size"), "<missing>");
}

TEST_F(ViewerTest, FontChoiceReachesTheSamePaneOfEveryOpenViewer)
{
    FDiags first("Quorin", m_dialogs);
    FDiags second("Other", m_dialogs);
    EXPECT_EQ(FDiags::openViewers().size(), 2U);
    m_dialogs.chooseFont({"DejaVu Sans", 12, false, false});
    second.mnuEditFontDiags_Click();
    EXPECT_EQ(first.txtDiags()->font().family(), "DejaVu Sans");
    EXPECT_EQ(second.txtDiags()->font().pointSize(), 12);
    EXPECT_EQ(first.txtTrace()->font().family(), "Lucida Console");
}

TEST_F(ViewerTest, SplitterStopsShortOfEachPanesEdge)
{
    FDiags viewer("Quorin", m_dialogs);
    viewer.Display();
    QWidget* bar = viewer.picSplit();
    const int minimum = static_cast<int>(std::lround(600 / twipsPerPixel(viewer)));
    const int bottom = viewer.txtDiags()->geometry().bottom() + 1;

    press(bar, 1, QEvent::MouseButtonPress);
    press(bar, -5000, QEvent::MouseMove);
    press(bar, 0, QEvent::MouseButtonRelease);
    EXPECT_EQ(bar->y(), minimum);
    EXPECT_EQ(viewer.txtTrace()->height(), minimum);

    press(bar, 1, QEvent::MouseButtonPress);
    press(bar, 5000, QEvent::MouseMove);
    press(bar, 0, QEvent::MouseButtonRelease);
    EXPECT_EQ(bar->y(), bottom - minimum - bar->height());
    EXPECT_EQ(viewer.txtDiags()->height(), minimum);
    EXPECT_EQ(viewer.txtDiags()->geometry().bottom() + 1, bottom) << "the lower pane keeps its bottom edge";

    // A move without the button held does nothing.
    const int before = bar->y();
    press(bar, -100, QEvent::MouseMove);
    EXPECT_EQ(bar->y(), before);

    EXPECT_EQ(clampSplitTop(5, splitLimits(0, 200, 100, 5, 300, 40)), 40);
    EXPECT_EQ(clampSplitTop(900, splitLimits(0, 200, 100, 5, 300, 40)), 255);
    EXPECT_EQ(clampSplitTop(900, splitLimits(0, 200, 300, 5, 300, 40)), 295) << "never below the container";
}

TEST_F(ViewerTest, ClosingHidesTheViewerAndKeepsItsContents)
{
    FDiags viewer("Quorin", m_dialogs);
    viewer.Display();
    viewer.AddTrace("kept");
    viewer.close();
    EXPECT_FALSE(viewer.isVisible());
    viewer.AddDiags("first");
    viewer.AddDiags("second");
    EXPECT_FALSE(viewer.isVisible()) << "appending does not show the window";
    EXPECT_EQ(viewer.txtDiags()->toPlainText(), "first\nsecond\n");
    viewer.AddDiags("fresh", true);
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.txtDiags()->toPlainText(), "fresh\n");
    EXPECT_EQ(viewer.txtTrace()->toPlainText(), "kept\n");
}
