#include "trees/ui/NAryForm.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "graphs/clsEMF.h"
#include "numeric/Progress.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/print/PrintProgress.h"
#include "platform/print/QtPrinter.h"
#include "platform/runtime/Convert.h"
#include "shell/core/FileUtil.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "trees/NAryExport.h"
#include "trees/Newick.h"

namespace trees {

namespace {

constexpr double MinimumSurfaceTwips = 6000;

platform::Answer box(const std::string& text, int style, const std::string& title = shell::ProgramInfo::Title)
{
    return platform::dialogs().MsgBox(text, style, title);
}

// Every node of the tree, pre-order, iteratively.
template <typename Visit>
void forEachNode(NAryNode& root, Visit visit)
{
    std::vector<NAryNode*> stack{&root};
    while (!stack.empty()) {
        NAryNode* n = stack.back();
        stack.pop_back();
        if (visit(*n)) {
            return;
        }
        for (auto it = n->Children().rbegin(); it != n->Children().rend(); ++it) {
            stack.push_back(it->get());
        }
    }
}

// A file name from the save dialog, or "" when the user cancels (which ends
// the command silently).
std::string askSaveName(const std::string& title, const std::string& extension, const std::string& initDir)
{
    platform::FileDialogRequest request;
    request.save = true;
    request.title = title;
    request.filter = FileUtil::FilterForExtensions(extension);
    request.initDir = initDir;
    request.defaultExt = extension;
    request.flags = 2;
    const auto chosen = platform::dialogs().FileDialog(request);
    return chosen ? chosen->path : std::string();
}

// A band of the drawing (twips, top inclusive, bottom exclusive) that one
// printed page shows.
struct PageBand {
    double top;
    double bottom;
};

// Cuts a drawing into bands of at most `bandHeight` twips, top to bottom.
// A band ends above the first text that would cross its lower edge, so
// that every text prints whole on exactly one page; lines that cross a
// page's edge continue on the next page.
std::vector<PageBand> pageBands(const DrawList& list, double bandHeight, double textHeight)
{
    std::vector<double> tops;
    double bottom = 0;
    for (const DrawItem& item : list.items) {
        if (item.kind == DrawItem::Kind::Text) {
            tops.push_back(item.y1);
            bottom = std::max(bottom, item.y1 + textHeight);
        } else {
            bottom = std::max({bottom, item.y1, item.y2});
        }
    }
    std::sort(tops.begin(), tops.end());
    std::vector<PageBand> bands;
    double top = 0;
    do {
        double end = top + bandHeight;
        // The first text that starts in this band but does not end in it.
        const auto crossing = std::lower_bound(tops.begin(), tops.end(), end - textHeight,
                                               [](double t, double limit) { return t <= limit; });
        if (crossing != tops.end() && *crossing < end && *crossing > top) {
            end = *crossing;
        }
        bands.push_back({top, end});
        top = end;
    } while (top < bottom);
    return bands;
}

// Tells a tree text that the reader refused, while the window reads one:
// the reader raises error BadTreeText with its own description of the fault
// (the character and what is wrong there), which the user can act on; an
// error 5 with only the run-time's text is a fault and goes to the reporter.
// It takes the place of the teller in force (the workbook's refusals) only
// while the window's own tree work runs, which changes no workbook.
bool tellTreeTextRefusal(const platform::Error& e)
{
    if (e.number() != Newick::BadTreeText || e.description() == platform::StandardDescription(e.number())) {
        return false;
    }
    box(NAryForm::TreeTextRefusal(e.description()), platform::mb::Exclamation | platform::mb::OkOnly);
    return true;
}

} // namespace

void paintDrawList(QPainter& painter, const DrawList& list, double pixelsPerTwip, double penPixels,
                   std::optional<QRectF> exposed)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, penPixels));
    painter.setPen(pen);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(list.fontPoints > 0 ? list.fontPoints : 8);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double ascent = metrics.ascent();
    // Only what crosses the exposed band is drawn: a tree of ten thousand
    // leaves is a surface hundreds of thousands of pixels tall, of which a
    // window shows a few hundred.
    const double slack = metrics.height() + pen.widthF();
    const double top = exposed ? exposed->top() - slack : -std::numeric_limits<double>::infinity();
    const double bottom = exposed ? exposed->bottom() + slack : std::numeric_limits<double>::infinity();
    for (const DrawItem& item : list.items) {
        const double y1 = item.y1 * pixelsPerTwip;
        if (item.kind == DrawItem::Kind::Line) {
            const double y2 = item.y2 * pixelsPerTwip;
            if (std::max(y1, y2) < top || std::min(y1, y2) > bottom) {
                continue;
            }
            painter.drawLine(QPointF(item.x1 * pixelsPerTwip, y1), QPointF(item.x2 * pixelsPerTwip, y2));
        } else {
            if (y1 < top || y1 > bottom) {
                continue;
            }
            painter.drawText(QPointF(item.x1 * pixelsPerTwip, y1 + ascent), QString::fromStdString(item.text));
        }
    }
}

// ---- TreeCanvas ----------------------------------------------------------------------

TreeCanvas::TreeCanvas(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TreeCanvas::setDrawing(DrawList list, double widthTwips)
{
    m_list = std::move(list);
    const int w = static_cast<int>(std::ceil(widthTwips / TwipsPerPixel));
    const int h = static_cast<int>(std::ceil(std::max(m_list.height, 600.0) / TwipsPerPixel));
    setFixedSize(std::max(w, 1), std::max(h, 1));
    update();
}

void TreeCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    paintDrawList(painter, m_list, 1.0 / TwipsPerPixel, m_list.penWidth, QRectF(event->rect()));
}

void TreeCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && labelAt && onLabelClick) {
        if (NAryNode* node = labelAt(event->position().toPoint())) {
            onLabelClick(*node);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

// ---- NAryForm ------------------------------------------------------------------------

NAryForm::NAryForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NAryForm"));
    setWindowTitle(QStringLiteral("Tree"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    buildMenus(bar);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("DrawArea"));
    m_scroll->setBackgroundRole(QPalette::Base);
    m_canvas = new TreeCanvas;
    m_scroll->setWidget(m_canvas);
    layout->addWidget(m_scroll);
    m_canvas->labelAt = [this](QPoint p) -> NAryNode* {
        NAryNode* root = m_model.RootNode();
        if (root == nullptr || !labelsEnabled()) {
            return nullptr;
        }
        const double x = p.x() * TwipsPerPixel;
        const double y = p.y() * TwipsPerPixel;
        NAryNode* hit = nullptr;
        forEachNode(*root, [&](NAryNode& n) {
            const NodeLabel& b = n.Box();
            if (x >= b.Left && x <= b.Left + b.Width && y >= b.Top && y <= b.Top + b.Height) {
                hit = &n;
                return true;
            }
            return false;
        });
        return hit;
    };
    m_canvas->onLabelClick = [this](NAryNode& node) { NodeLabel_Click(node); };
    resize(760, 560);
}

NAryForm::~NAryForm() = default;

void NAryForm::connectItem(QMenu* menu, const char* name, const char* caption, std::function<void()> command,
                           bool checkable)
{
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(checkable);
    if (command) {
        connect(a, &QAction::triggered, this, [this, command = std::move(command)] { guarded(command); });
    }
    m_actions[name] = a;
}

void NAryForm::buildMenus(QMenuBar* bar)
{
    QMenu* tree = bar->addMenu(QStringLiteral("&Tree"));
    tree->setObjectName(QStringLiteral("Tree"));
    connectItem(tree, "TreeSave", "Save tree for future viewing", [this] { TreeSave(); });
    connectItem(tree, "TreeSaveEMF", "Save tree as enhanced metafile", [this] { TreeSaveEMF(); });
    connectItem(tree, "TreeCopy", "Copy Tree as BMP file", [this] { TreeCopy(); });
    connectItem(tree, "TreeCopyEMF", "Copy tree as enhanced metafile", [this] { TreeCopyEMF(); });
    connectItem(tree, "TreeCopyNH", "Copy Tree in PHYLIP Format", [this] { TreeCopyNH(); });
    connectItem(tree, "TreePasteNH", "Paste NH tree", [this] { TreePasteNH(); });
    connectItem(tree, "TreeAdd", "Add OTU to selected node", [this] { TreeAdd(); });
    connectItem(tree, "TreeRemove", "Remove OTU and its descendents", [] {});
    tree->addSeparator();
    connectItem(tree, "TreePhen", "Phenogram", [this] { TreePhen(); });
    connectItem(tree, "TreeRecPhe", "Rectangular Phenogram", [this] { TreeRecPhe(); });
    connectItem(tree, "TreeClad", "Cladogram (experimental)", [this] { TreeClad(); });
    connectItem(tree, "TreeInNodeLabel", "Toggle Internal Node Label", [this] { TreeInNodeLabel(); });
    connectItem(tree, "TreeScale", "Toggle Branch Length Scaling", [this] { TreeScale(); }, true);
    connectItem(tree, "TreeReRoot", "Re-root the tree", [this] { TreeReRoot(); });
    tree->addSeparator();
    connectItem(tree, "TreeExit", "Exit", [this] { TreeExit(); });

    QMenu* print = bar->addMenu(QStringLiteral("&Print"));
    print->setObjectName(QStringLiteral("Print"));
    connectItem(print, "PrintNow", "Print Now", [this] { PrintNow(); });
    QMenu* fonts = print->addMenu(QStringLiteral("Change font size"));
    fonts->setObjectName(QStringLiteral("PrintFontSize"));
    connectItem(fonts, "PrintFS8", "Font size 8 (Default)", [this] { FontSize(8); }, true);
    connectItem(fonts, "PrintFS10", "Font size 10", [this] { FontSize(10); }, true);
    connectItem(fonts, "PrintFS12", "Font size 12", [this] { FontSize(12); }, true);
    connectItem(fonts, "PrintFS14", "Font size 14", [this] { FontSize(14); }, true);
    connectItem(fonts, "PrintFS16", "Font size 16", [this] { FontSize(16); }, true);
    QMenu* lines = print->addMenu(QStringLiteral("Change line thickness"));
    lines->setObjectName(QStringLiteral("PrintLineWidth"));
    connectItem(lines, "PrintLT2", "2 pixels thick", [this] { LineWidth(2); }, true);
    connectItem(lines, "PrintLTFive", "5 pixels thick (Default)", [this] { LineWidth(5); }, true);
    connectItem(lines, "PrintLT8", "8 pixels thick", [this] { LineWidth(8); }, true);
    connectItem(lines, "PrintLT12", "12 pixels thick", [this] { LineWidth(12); }, true);
    QMenu* spacing = print->addMenu(QStringLiteral("Change vertical spacing"));
    spacing->setObjectName(QStringLiteral("PrintYgap"));
    connectItem(spacing, "PrintVS5", "Increase by 5%", [this] { VerticalSpacing(1.05); });
    connectItem(spacing, "PrintVS10", "Increase by 10%", [this] { VerticalSpacing(1.1); });
    connectItem(spacing, "PrintVSD5", "Decrease by 5%", [this] { VerticalSpacing(0.95); });
    connectItem(spacing, "PrintVSD10", "Decrease by 10%", [this] { VerticalSpacing(0.9); });

    QAction* help = bar->addAction(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("TreeHelp"));
    connect(help, &QAction::triggered, this, [this] { guarded([this] { TreeHelp(); }); });
    m_actions["TreeHelp"] = help;
}

QAction* NAryForm::action(const char* name) const
{
    const auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : it->second;
}

bool NAryForm::isPhenogramShown() const
{
    return m_view == TreeView::Phenogram;
}

void NAryForm::applyMenuState()
{
    const TreeMenuState& m = m_model.Menu();
    action("TreeSave")->setVisible(m.saveVisible);
    action("TreeScale")->setVisible(m.scaleVisible);
    action("TreeScale")->setChecked(m.scaleChecked);
    action("TreePasteNH")->setVisible(m.pasteVisible);
    action("TreeReRoot")->setEnabled(m.reRootEnabled);
    action("TreePhen")->setEnabled(m_view != TreeView::Phenogram);
    action("TreeClad")->setEnabled(m_view == TreeView::Phenogram);
    for (int s : {8, 10, 12, 14, 16}) {
        action(("PrintFS" + std::to_string(s)).c_str())->setChecked(m.fontChecked == s);
    }
    action("PrintLT2")->setChecked(m.lineChecked == 2);
    action("PrintLTFive")->setChecked(m.lineChecked == 5);
    action("PrintLT8")->setChecked(m.lineChecked == 8);
    action("PrintLT12")->setChecked(m.lineChecked == 12);
}

void NAryForm::guarded(const std::function<void()>& command)
{
    const platform::ScopedRefusalTeller refusals(&tellTreeTextRefusal);
    platform::guarded([&](platform::Guard& g) { g.step(command); });
}

double NAryForm::surfaceWidthTwips() const
{
    // The surface is as wide as the drawing area less the vertical scroll
    // bar, whether that bar is in sight or not: the width then does not
    // depend on the drawing shown before, and a tall drawing, which brings
    // the bar, never needs the horizontal bar because of it. The scroll
    // area's own width is read, which its layout sets also while the window
    // is hidden (its viewport follows only once it is shown).
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll->verticalScrollBar());
    const int inner = m_scroll->width() - 2 * m_scroll->frameWidth() - bar;
    return std::max(MinimumSurfaceTwips, inner * TwipsPerPixel);
}

void NAryForm::draw(TreeView view, bool notice, numeric::Progress* progress)
{
    m_view = view;
    DrawList list = TreeLayout::DrawTree(m_model, surfaceWidthTwips(), view);
    numeric::detail::setValue(progress, 2);
    m_canvas->setDrawing(std::move(list), surfaceWidthTwips());
    fitScrollBars();
    numeric::detail::setValue(progress, 3);
    applyMenuState();
    if (notice && m_model.Menu().scaleChecked && m_model.RootNode() != nullptr) {
        box(std::string(TreeLayout::ScaleBarNotice), platform::mb::OkOnly);
    }
}

void NAryForm::rebuild(TreeKind kind)
{
    m_model.BuildAndDraw(kind);
    draw(TreeView::Phenogram, true);
}

bool NAryForm::plot(int type, const std::string& treeStr, std::int32_t rootNum1Based, numeric::Progress* progress)
{
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, 3);
    numeric::detail::setValue(progress, 0);
    m_view = TreeView::Phenogram;
    // The window's parts take their places for its present size before the
    // tree is fitted to it, also when it has not been shown yet.
    layout()->activate();
    const bool first = !m_model.Initialised();
    bool built = false;
    {
        const platform::ScopedRefusalTeller refusals(&tellTreeTextRefusal);
        built = m_model.PlotTree(type, treeStr, rootNum1Based);
    }
    if (!built) {
        // The refusal has been told; no window opens on a tree that is not there.
        m_canvas->setDrawing(DrawList{}, surfaceWidthTwips());
        numeric::detail::setValue(progress, 0);
        return false;
    }
    numeric::detail::setValue(progress, 1);
    if (!first) {
        // The window was open: the text is stored and the tree it showed is
        // gone, so its drawing goes too. The window never shows a tree it no
        // longer holds, whose labels and printing would find nothing.
        m_canvas->setDrawing(DrawList{}, surfaceWidthTwips());
        fitScrollBars();
        applyMenuState();
        numeric::detail::setValue(progress, 3);
    } else {
        draw(TreeView::Phenogram, true, progress);
    }
    show();
    return true;
}

void NAryForm::PlotTree(int type, std::string& treeStr, std::int32_t rootNum1Based, numeric::Progress* progress)
{
    if (!plot(type, treeStr, rootNum1Based, progress)) {
        return;
    }
    numeric::detail::setValue(progress, 0);  // drawn: the count is done while the window is open
    hide();
    exec();
}

void NAryForm::redraw()
{
    if (isMinimized() || isMaximized()) {
        return;
    }
    draw(TreeView::Phenogram, false);
}

void NAryForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_model.RootNode() != nullptr) {
        redraw();
    }
}

void NAryForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    fitScrollBars();
}

void NAryForm::fitScrollBars()
{
    // The scroll area shows or hides its bars in a pass it queues when the
    // surface's size changes; a window that is hidden and shown again (as
    // the modal Show subtree does) can come up with the bars of the surface
    // before. Asking for the pass now places them for this surface.
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(m_scroll, &request);
}

void NAryForm::forgetTree()
{
    m_pendingClick = PendingClick::None;
    m_model.Close();
    m_canvas->setDrawing(DrawList{}, surfaceWidthTwips());
}

void NAryForm::closeEvent(QCloseEvent* event)
{
    forgetTree();
    QDialog::closeEvent(event);
}

void NAryForm::done(int result)
{
    // Escape ends the dialog without a close event; it closes the window all
    // the same, so the next Show subtree meets a closed window and draws
    // its tree instead of keeping this drawing without its tree.
    forgetTree();
    QDialog::done(result);
}

QImage NAryForm::picture() const
{
    return m_canvas->grab().toImage();
}

// ---- Commands --------------------------------------------------------------------

void NAryForm::TreeSave()
{
    const bool mrc = m_model.CurTreeType() == TreeKind::Mrc;
    const std::string extension = mrc ? "MRC" : "DND";
    const std::string& text = mrc ? m_model.MRCText() : m_model.NHText();
    const std::string name =
        askSaveName("Supply a file name and leave the extension as is.", extension, mQuorin::Program().gOutDir);
    if (name.empty()) {
        return;
    }
    FileUtil::WriteStrToFile(name, text);  // it ends the file with CR LF
    box("The tree has been saved to file " + name +
            ". You may view the tree latter by click the main menu File|View Tree.",
        platform::mb::OkOnly, "File Saved");
}

std::string NAryForm::RenderToMetafile(graphs::clsEMF& emf, bool release)
{
    emf.emfTop(0);
    emf.emfLeft(0);
    const auto height = static_cast<std::int32_t>(m_canvas->height() * TwipsPerPixel);
    const auto width = static_cast<std::int32_t>(surfaceWidthTwips());
    emf.emfHeight(height);
    emf.emfWidth(width);
    if (m_model.FontPoints() <= 0) {
        throw platform::Error::runtime(platform::err::DivisionByZero, "RenderToMetafile");
    }
    m_model.setYGap(m_model.YGap() * 8 / m_model.FontPoints());
    const DrawList list = TreeLayout::DrawTree(m_model, width, m_view, Surface::Metafile);
    for (const DrawItem& item : list.items) {
        if (item.kind == DrawItem::Kind::Line) {
            emf.emfMoveToEx(static_cast<std::int32_t>(item.x1), static_cast<std::int32_t>(item.y1));
            emf.emfLineTo(static_cast<std::int32_t>(item.x2), static_cast<std::int32_t>(item.y2));
        } else {
            emf.emfCurrentX(static_cast<std::int32_t>(item.x1));
            emf.emfCurrentY(static_cast<std::int32_t>(item.y1));
            emf.emfPrint(item.text);
        }
    }
    if (m_model.Menu().scaleChecked) {
        emf.emfHeight(static_cast<std::int32_t>(list.height));
    }
    emf.emfEndDoc();
    const std::string name = emf.emfFileName();
    if (release) {
        emf.emfCls();
    }
    return name;
}

void NAryForm::TreeSaveEMF()
{
    if (m_model.RootNode() == nullptr) {
        return;
    }
    graphs::clsEMF emf;
    const std::string temporary = RenderToMetafile(emf, true);
    const std::string name = askSaveName("Save file...", "emf", std::filesystem::current_path().string());
    if (name.empty()) {
        return;  // the recording's temporary file goes with it
    }
    std::error_code ec;
    std::filesystem::rename(temporary, name, ec);
    if (ec) {
        // Another file system: copy, then the temporary file goes.
        std::filesystem::copy_file(temporary, name, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) {
            throw platform::Error(platform::err::PathFileAccess, "TreeSaveEMF", "Unable to write " + name);
        }
    }
}

void NAryForm::TreeCopyEMF()
{
    if (m_model.RootNode() == nullptr) {
        return;
    }
    graphs::clsEMF emf;
    const std::string temporary = RenderToMetafile(emf, true);
    std::ifstream in(temporary, std::ios::binary);
    const QByteArray bytes = QByteArray::fromStdString(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("image/emf"), bytes);
    data->setData(QStringLiteral("image/x-emf"), bytes);
    clipboard->setMimeData(data.release());
}

void NAryForm::TreeCopy()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture());
}

void NAryForm::TreeCopyNH()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(m_model.NHText()));
}

std::string NAryForm::PasteRefusal(const std::string& reason)
{
    return "The clipboard does not hold a tree in Newick form, such as ((A:0.1,B:0.2):0.05,C:0.3); " + reason +
           " The tree shown is unchanged.";
}

std::string NAryForm::TreeTextRefusal(const std::string& reason)
{
    return "The tree text cannot be read. " + reason;
}

void NAryForm::TreePasteNH()
{
    const std::string text = QGuiApplication::clipboard()->text().trimmed().toStdString();
    // Text that is no tree is a typing mistake, not a fault: it is told
    // plainly with what was wrong, and the tree shown stays.
    try {
        m_model.PasteNH(text);
    } catch (const platform::Error& e) {
        if (e.number() != Newick::BadTreeText) {
            throw;
        }
        box(PasteRefusal(e.description()), platform::mb::Exclamation);
        return;
    }
    redraw();
}

void NAryForm::TreeAdd()
{
    if (m_model.RootNode() == nullptr) {
        return;
    }
    m_pendingClick = PendingClick::AddOtu;
    box("Click the node that you wish to add the OTU to", platform::mb::Information | platform::mb::OkOnly);
}

void NAryForm::addOtuBelow(NAryNode& node)
{
    if (node.childCount() == 0) {
        return;
    }
    const std::string answer = platform::dialogs().InputBox(
        "Please enter an OTU name and, optionally, a branch length separated by a comma, e.g., Cheetah, 0.33",
        "Adding OTU", "");
    if (answer.empty()) {
        box("You have cancelled the operation.", platform::mb::Information, "Info");
        return;
    }
    std::string name = answer;
    double length = 0;
    if (const auto comma = answer.find(','); comma != std::string::npos) {
        name = answer.substr(0, comma);
        const platform::rt::FieldNumber typed = platform::rt::ReadLeadingNumber(answer.substr(answer.rfind(',') + 1));
        if (typed.isTooLarge()) {
            box("The branch length is too large: it can be at most " + platform::rt::LargestNumberText() +
                    ". The OTU was not added.",
                platform::mb::Exclamation, "Adding OTU");
            return;
        }
        length = typed.value;
    }
    auto leaf = std::make_unique<NAryNode>();
    leaf->setIsLeaf(true);
    leaf->Box().Caption = name;
    leaf->setBranchLength(length);
    node.addChild(std::move(leaf));
    // The new leaf joins the tree's Newick text, so that every later
    // rebuild keeps it.
    std::string text;
    WriteNHLengths(*m_model.RootNode(), text);
    m_model.setNHText(text + ";");
    m_model.setTreeText(m_model.NHText(), TreeKind::Newick);
    m_model.BuildAndDraw(TreeKind::Newick);
    redraw();
}

void NAryForm::TreePhen()
{
    draw(TreeView::Phenogram, false);
}

void NAryForm::TreeRecPhe()
{
    m_model.setTreeText(m_model.PAMLText(), TreeKind::BranchList);
    rebuild(TreeKind::BranchList);
}

void NAryForm::TreeClad()
{
    draw(TreeView::Cladogram, false);
}

void NAryForm::TreeInNodeLabel()
{
    m_model.setShowInnerLabels(!m_model.ShowInnerLabels());
    draw(m_view, false);
}

void NAryForm::TreeScale()
{
    m_model.Menu().scaleChecked = !m_model.Menu().scaleChecked;
    m_model.Rebuild();
    draw(TreeView::Phenogram, true);
}

void NAryForm::TreeReRoot()
{
    m_pendingClick = PendingClick::ReRoot;
    box("Click the node that you wish to root by", platform::mb::Information | platform::mb::OkOnly);
}

void NAryForm::NodeLabel_Click(NAryNode& node)
{
    const PendingClick pending = m_pendingClick;
    m_pendingClick = PendingClick::None;
    guarded([&] {
        if (pending == PendingClick::AddOtu) {
            addOtuBelow(node);
            return;
        }
        if (pending != PendingClick::ReRoot) {
            return;
        }
        std::string message;
        if (!m_model.ReRootAtNode(node, message) && !message.empty()) {
            box("ReRoot2 Error: \r\n" + message, platform::mb::OkOnly);
        }
        redraw();
    });
}

void NAryForm::TreeExit()
{
    close();
}

void NAryForm::TreeHelp()
{
    box("Help topic 121 (the tree-drawing window) is not available: there is no help file.",
        platform::mb::Information | platform::mb::OkOnly);
}

void NAryForm::FontSize(std::int32_t points)
{
    m_model.FontSizeFamily(points);
    m_model.Rebuild();
    redraw();
}

void NAryForm::LineWidth(std::int32_t thickness)
{
    m_model.LineThicknessFamily(thickness);
    m_model.Rebuild();
    redraw();
}

void NAryForm::VerticalSpacing(double factor)
{
    m_model.VerticalSpacingFamily(factor);
    m_model.Rebuild();
    redraw();
}

void NAryForm::PrintNow()
{
    if (m_model.RootNode() == nullptr) {
        box(NoTreeToPrint, platform::mb::Exclamation | platform::mb::OkOnly, "Print");
        return;
    }
    // Cancelling the choice of the PDF file or the print dialog is the
    // user's own answer: nothing is printed and nothing more is said.
    auto device = platform::PrintTarget::jobPrinter(QStringLiteral("Tree"));
    if (!device || !platform::PrintTarget::runPrintDialog(*device, this)) {
        return;
    }
    platform::QtPagePrinter printer(*device);
    printer.setPaperSize(platform::paper::A4);
    QPainter& painter = printer.painter();
    if (const std::string why = printer.refusal(); !why.empty()) {
        box(NotPrinted + why, platform::mb::Exclamation | platform::mb::OkOnly, "Print");
        return;
    }
    if (m_model.FontPoints() <= 0) {
        throw platform::Error::runtime(platform::err::DivisionByZero, "PrintNow");
    }
    m_model.setYGap(m_model.YGap() * 8 / m_model.FontPoints());
    const double savedHeight = m_model.LabelHeight();
    const double pageHeight = printer.ScaleHeight();
    if (m_canvas->height() * TwipsPerPixel < pageHeight) {
        m_model.setLabelSize(m_model.LabelWidth(), (pageHeight - 600) / (1.5 * m_model.NameCount() + 15));
    }
    const DrawList list = TreeLayout::DrawTree(m_model, printer.ScaleWidth(), m_view);
    // The line thickness in the printer's pixels of a 600-dot inch.
    const double penPixels = m_model.LineThickness() * device->resolution() / 600.0;
    const double scale = printer.pixelsPerTwip();
    bool cancelled = false;
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(list.fontPoints > 0 ? list.fontPoints : 8);
    const double textHeight = QFontMetricsF(font, device.get()).height() / scale;
    // A tree that fits the sheet prints on it as it is drawn; a taller one
    // goes on as many pages as it needs, each inside half-inch margins at
    // the top and the bottom, every leaf on one of them.
    if (list.height <= pageHeight && std::none_of(list.items.begin(), list.items.end(), [&](const DrawItem& item) {
            return std::max(item.y1, item.y2) + (item.kind == DrawItem::Kind::Text ? textHeight : 0) > pageHeight;
        })) {
        paintDrawList(painter, list, scale, penPixels);
    } else {
        constexpr double Margin = 720;
        const std::vector<PageBand> bands = pageBands(list, pageHeight - 2 * Margin, textHeight);
        platform::PrintProgress progress(this, QStringLiteral("Print"));
        for (std::size_t i = 0; i < bands.size(); ++i) {
            if (!progress.beforePage(static_cast<std::int32_t>(i), static_cast<std::int32_t>(bands.size()))) {
                break;
            }
            if (i > 0) {
                printer.NewPage();
            }
            const PageBand& band = bands[i];
            DrawList page;
            page.penWidth = list.penWidth;
            page.fontPoints = list.fontPoints;
            for (const DrawItem& item : list.items) {
                const bool inside = item.kind == DrawItem::Kind::Text
                                        ? item.y1 >= band.top && item.y1 < band.bottom
                                        : std::max(item.y1, item.y2) >= band.top && std::min(item.y1, item.y2) <= band.bottom;
                if (inside) {
                    page.items.push_back(item);
                }
            }
            painter.save();
            // Lines stop at the band's edges; texts lie inside it.
            painter.setClipRect(QRectF(0, Margin * scale - penPixels, printer.ScaleWidth() * scale,
                                       (band.bottom - band.top) * scale + 2 * penPixels));
            painter.translate(0, (Margin - band.top) * scale);
            paintDrawList(painter, page, scale, penPixels);
            painter.restore();
        }
        cancelled = progress.wasCancelled();
    }
    if (cancelled) {
        // A printout stopped part of the way is dropped whole (a PDF file
        // it was writing goes with it), not sent as if it were the tree.
        printer.KillDoc();
    } else {
        printer.EndDoc();
    }
    m_model.setLabelSize(m_model.LabelWidth(), savedHeight);
    if (m_model.CurTreeType() == TreeKind::Mrc) {
        LengthsToCaptions(*m_model.RootNode());
        m_model.Menu().reRootEnabled = false;
        m_model.RootNode()->Box().Caption.clear();
        m_model.setShowInnerLabels(true);
        applyMenuState();
    }
    if (cancelled) {
        box(platform::PrintProgress::CancelledMessage, platform::mb::Information | platform::mb::OkOnly, "Print");
    }
}

} // namespace trees
