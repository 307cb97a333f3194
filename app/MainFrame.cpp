#include "app/MainFrame.h"

#include <QApplication>

#include <algorithm>

#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStackedLayout>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/FileNumbers.h"
#include "platform/spreadsheet/FontNames.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/FileUtil.h"
#include "shell/core/mQuorin.h"
#include "app/DrawingToolbar.h"
#include "app/EditCommands.h"
#include "app/FormatCommands.h"
#include "app/InsertCommands.h"
#include "app/OutputEditCommands.h"
#include "app/StandardToolbar.h"
#include "app/StatusTimer.h"
#include "app/ToolsHelpCommands.h"
#include "app/WinAPI.h"
#include "app/PrintCommands.h"
#include "app/ProgramIcon.h"
#include "app/TreeCommands.h"
#include "app/WindowLayout.h"
#include "app/WorkbookCommands.h"
#include "app/frmAbout.h"
#include "app/frmMDIChild.h"
#include "app/frmOption.h"

namespace shell {

namespace {

// One menu item: its control name, caption, key and sub-items. An item
// without a name is a separator.
struct Item {
    const char* name = nullptr;
    const char* caption = nullptr;
    const char* key = nullptr;
    std::vector<Item> sub;
};

Item sep()
{
    return Item{};
}

Item item(const char* name, const char* caption, const char* key = nullptr)
{
    return Item{name, caption, key, {}};
}

Item submenu(const char* name, const char* caption, std::vector<Item> sub)
{
    return Item{name, caption, nullptr, std::move(sub)};
}

struct TopMenu {
    const char* name;
    const char* caption;
    std::vector<Item> items;
};

std::vector<TopMenu> menuBarLayout()
{
    return {
        {"mnuFile", "&File",
         {item("mnuFileNew", "&New", "Ctrl+N"), item("mnuFileOpen", "&Open...", "Ctrl+O"),
          item("mnuFileClose", "&Close"), sep(), item("mnuFileSave", "&Save", "Ctrl+S"),
          item("mnuFileSaveAs", "Save &As..."), sep(), item("mnuFilePageSetup", "Page Set&up..."),
          item("mnuFilePrintPreview", "Print Pre&view"), item("mnuFilePrint", "&Print...", "Ctrl+P")}},
        {"mnuEdit", "&Edit",
         {item("mnuEditUndo", "&Undo\tCtrl+Z"), sep(), item("mnuEditCut", "Cu&t", "Ctrl+X"),
          item("mnuEditCopy", "&Copy", "Ctrl+C"), item("mnuEditPast", "&Paste", "Ctrl+V"),
          submenu("mnuEditPasteSpecial", "Paste &Special",
                  {item("mnuEditPasteAll", "Paste all"), item("mnuEditPasteFormat", "Paste Formats"),
                   item("mnuEditPasteFormula", "Paste Formulae"), item("mnuEditPasteValue", "Paste Values"),
                   item("mnuEditPasteTranspos", "Paste transpose")}),
          item("mnuEditCopyCellFormat", "Cop&y Cell Format"), sep(), item("mnuEditPolygonPoints", "Polygo&n Points"),
          item("mnuEditSelectAllObjects", "Select All &Objects"), sep(), item("mnuEditSort", "So&rt..."),
          submenu("mnuEditFill", "F&ill",
                  {item("mnuEditFillDown", "&Down", "Ctrl+D"), item("mnuEditFillRight", "&Right", "Ctrl+R")}),
          submenu("mnuEditClear", "Cle&ar",
                  {item("mnuEditClearAll", "&All"), item("mnuEditClearFormats", "&Formats"),
                   item("mnuEditClearContents", "&Contents")}),
          submenu("mnuEditDelete", "&Delete",
                  {item("mnuEditDeleteCell", "Cells"), item("mnuEditDeleteRow", "Row"),
                   item("mnuEditDeleteColumn", "Column"), item("mnuEditDeleteObj", "Object")}),
          item("mnuEditDeleteSheet", "De&lete Sheet"), sep(), item("mnuEditFind", "&Find...", "Ctrl+F"),
          item("mnuEditReplace", "R&eplace", "Ctrl+H"), item("mnuEditGoTo", "&Go To", "Ctrl+G")}},
        {"Edit", "&Edit",
         {item("EditUndo", "Undo\tCtrl-Z"), item("EditCut", "Cut\tCtrl-X"), item("EditCopy", "Copy\tCtrl-C"),
          item("EditCopy2Excel", "Copy to Excel"), item("EditPaste", "Paste\tCtrl-V"),
          item("EditPasteTxt", "Paste text only"), item("EditDelete", "&Delete"), sep(),
          item("EditClear", "Clear Buffer"), sep(), item("EditSelectAll", "&Select All\tCtrl-A"), sep(),
          item("EditFind", "&Find"), item("EditFindNext", "Find Next", "F3"), item("EditFindAll", "Find All")}},
        {"mnuView", "&View",
         {submenu("mnuViewToolbars", "&Toolbars",
                  {item("mnuViewToolbarsStandard", "&Standard"), item("mnuViewToolbarsFormatting", "&Formatting"),
                   item("mnuViewToolbarsDrawing", "&Drawing and Forms")}),
          item("mnuViewFormulaBar", "&Formula Bar"), item("mnuViewStatusBar", "&Status Bar")}},
        {"mnuInsert", "&Insert",
         {item("mnuInsertCells", "C&ells..."), item("mnuInsertRows", "&Rows"), item("mnuInsertColumns", "&Columns"),
          item("mnuInsertWorksheet", "&Worksheet"), item("mnuInsertChart", "C&hart"), sep(),
          item("mnuInsertPageBreak", "Page &Break"), item("mnuInsertName", "&Name..."), sep(),
          submenu("mnuInsertDrawingObject", "&Drawing Object",
                  {item("mnuInsertDOArc", "&Arc"), item("mnuInsertDOLine", "&Line"), item("mnuInsertDOOval", "&Oval"),
                   item("mnuInsertDOPolygon", "&Polygon"), item("mnuInsertDORectangle", "&Rectangle")}),
          submenu("mnuInsertFormsObject", "&Forms Object",
                  {item("mnuInsertFOButton", "&Button"), item("mnuInsertFOCheckbox", "&Checkbox"),
                   item("mnuInsertFOListbox", "&Dropdown Listbox")}),
          sep(), item("mnuInsertCancel", "C&ancel Insert Object")}},
        {"mnuFormat", "F&ormat",
         {item("mnuFormatCells", "C&ells..."),
          submenu("mnuFormatRow", "&Row",
                  {item("mnuFormatRowHeight", "H&eight..."), item("mnuFormatRowHide", "&Hide"),
                   item("mnuFormatRowUnhide", "&Unhide"), item("mnuFormatRowDefaultHgt", "&Default Height...")}),
          submenu("mnuFormatColumn", "&Column",
                  {item("mnuFormatColumnWidth", "&Width..."), item("mnuFormatColumnAutoFit", "&AutoFit Selection"),
                   item("mnuFormatColumnHide", "&Hide"), item("mnuFormatColumnUnhide", "&Unhide"),
                   item("mnuFormatColumnDefaultWdt", "&Default Width...")}),
          submenu("mnuFormatSheet", "S&heet",
                  {item("mnuFormatSheetProperties", "&Properties..."),
                   item("mnuFormatSheetProtection", "P&rotection")}),
          submenu("mnuFormatPrinting", "&Printing",
                  {item("mnuFormatPrintArea", "Set Print &Area"), item("mnuFormatPrintTitles", "Set Print &Titles")}),
          sep(), item("mnuFormatFreezePanes", "&Freeze Panes"), item("mnuFormatDefaultFont", "&Default Font..."),
          sep(), item("mnuFormatObject", "&Object..."), item("mnuFormatBringToFront", "&Bring To Front"),
          item("mnuFormatSendToBack", "&Send To Back")}},
        {"mnuData", "&Data",
         {item("mnuDataNormalize", "Standardize values in rows"),
          item("mnuDataNormalizeCol", "Standardize values in columns"), item("mnuDataLog", "log-transformation"),
          item("mnuDataLog2", "Log2 transformation"), item("mnuDataSQRT", "Square-root transformation"), sep(),
          item("mnuDataFilter", "Mark Outlier"), item("mnuDataEstMissing", "Estimate missing value"),
          submenu("mnuDataSort", "Sort", {item("mnuDataSortA", "Ascending"), item("mnuDataSortD", "Descending")})}},
        {"mnuAnalysis", "&Analysis",
         {item("mnuAnaCorr", "Correlation matrix"), item("mnuAnaCluster", "Clustering"),
          item("mnuAnaPCA", "Principal Component Analysis"), item("mnuAnaCA", "Correspondence analysis")}},
        {"mnuTree", "T&ree",
         {item("mnuTreeNodeProperty", "Node property"), item("mnuTreeShowSubTree", "Show subtree"),
          item("mnuTreeExprPlot", "Expression plot"), sep(), item("mnuTreeCollapse", "Callapse nodes"),
          item("mnuTreeCollapseCutoff", "Callapse with cutoff"), item("mnuTreeExpand", "Expand nodes"), sep(),
          submenu("mnuTreePrint", "Print tree",
                  {item("mnuTreePrintVertical", "Vertically"), item("mnuTreePrintHorizontal", "Horizontally")}),
          item("mnuTreeRetrieve", "Retrieve DNA sequences"), item("mnuTreeFilterNode", "Filter nodes"),
          item("mnuTreeShowCheckbox", "Show checkbox")}},
        {"mnuToolS", "&Tools",
         {item("mnuToolsRecalc", "Recalc", "F9"), item("mnuToolsGlobalOpt", "&Global options"),
          item("mnuToolsOptions", "Sheet &Options"), sep(), item("mnuToolMedline", "Search Medline"),
          item("mnuToolMyWWW", "Tessaray Home Page"), item("mnuToolSearchWWW", "Search WWW")}},
        {"mnuWindow", "&Window",
         {item("mnuWindowNew", "&New Window"), item("mnuWindowCascade", "&Cascade"), item("mnuWindowTile", "&Tile"),
          item("mnuWindowArrangeIcons", "&Arrange Icons"), sep(), item("mnuWindowData", "Data window"),
          item("mnuWindowTree", "Tree Window"), item("mnuWindowOutput", "Output Window"), sep(),
          item("mnuWindowList", "Window List")}},
        {"mnuHelp", "&Help",
         {item("mnuHelpGeneral", "General Help"), item("mnuHelpCont", "Contents"),
          item("mnuHelpAck", "Acknowledgment"), item("mnuHelpAbout", "&About Tessaray..."),
          item("mnuHelpNameQuorin", "The name of Tessaray ......")}},
        {"mnuFixed", "Fixed", {item("mnuFixed0_00", "0.00")}},
    };
}

// Items that are created hidden.
const char* const kHiddenItems[] = {"mnuAnaCorr", "mnuTreeFilterNode", "mnuTreeShowCheckbox", "mnuHelpNameQuorin"};
// Items whose commands work now; every other item is present and disabled.
const char* const kWorkingItems[] = {"mnuFileExit",    "mnuWindowNew",  "mnuWindowCascade", "mnuWindowTile",
                                     "mnuWindowArrangeIcons", "mnuWindowData", "mnuWindowTree", "mnuWindowOutput",
                                     "mnuToolsGlobalOpt", "mnuHelpAbout"};
// View-menu items that carry a check mark, all on at start.
const char* const kCheckedItems[] = {"mnuViewToolbarsStandard", "mnuViewToolbarsFormatting",
                                     "mnuViewToolbarsDrawing", "mnuViewFormulaBar", "mnuViewStatusBar"};

constexpr const char* ShortcutStash = "tessarayShortcuts";

QString menuCaption(const std::string& caption)
{
    // The entry's number ("1. ...") is its access key; an "&" of a path is
    // shown, not taken as one.
    return QLatin1Char('&') + QString::fromStdString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The step between cascaded windows: one title bar.
int cascadeStep(const QMdiArea& mdi)
{
    return std::max(mdi.style()->pixelMetric(QStyle::PM_TitleBarHeight), 16) + 4;
}

// The document windows that Cascade and Tile arrange: shown, not minimised,
// in the order they were opened; maximised ones come back to normal first.
void arrangeWindows(QMdiArea& mdi, bool tiled)
{
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdi.subWindowList(QMdiArea::CreationOrder)) {
        if (w->isVisible() && !w->isMinimized()) {
            if (w->isMaximized()) {
                w->showNormal();
            }
            windows.push_back(w);
        }
    }
    const QSize area = mdi.viewport()->size();
    const int n = static_cast<int>(windows.size());
    const std::vector<QRect> places =
        tiled ? WindowLayout::tile(area, n) : WindowLayout::cascade(area, n, cascadeStep(mdi));
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i]->setGeometry(places[i]);
        windows[i]->raise();
    }
    if (!tiled && !windows.empty()) {
        mdi.setActiveSubWindow(windows.back());
    }
}

} // namespace

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Tessaray"));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(m_mdi);
    // Tiled windows that cannot all be shown at a usable size stay reachable.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) { subWindowActivated(w); });
    buildMenus();
    buildToolbars();
    buildStatusBar();
    // The workbook commands live as the frame's child and serve its menus.
    new WorkbookCommands(*this);
    // The Edit menus, the standard toolbar and the status timer that keeps it in step.
    new EditCommands(*this);
    new OutputEditCommands(*this);
    new StandardToolbar(*this);
    new FormatCommands(*this);
    // The drawing toolbar, and the Insert menu whose object items press its buttons.
    new DrawingToolbar(*this);
    new InsertCommands(*this);
    new StatusTimer(*this);
    new ToolsHelpCommands(*this);
    // So do the printing commands, with the tree printer.
    new PrintCommands(*this);
    // And the Tree menu's node commands.
    new TreeCommands(*this);
    // The frame opens wide enough for its first row of toolbars (the standard
    // and the formatting one), so that none of their controls, the zoom box
    // last of all, hides behind an overflow button.
    constexpr int RowSlack = 32;  // the toolbar area's margins and spacing
    resize(std::max(1000, m_tlbStandard->sizeHint().width() + m_tlbFormat->sizeHint().width() + RowSlack), 720);
    endProcess = [] { QCoreApplication::quit(); };
    mQuorin::Program().loadedWindowCount = [this] { return 1 + static_cast<int>(Documents().size()); };
}

MainFrame::~MainFrame()
{
    // The document windows go with the frame: no signal of theirs may reach it.
    disconnect(m_mdi, nullptr, this, nullptr);
    for (QComboBox* box : {m_cboFontName, m_cboFontSize, m_cboZoom}) {
        box->removeEventFilter(this);
    }
    mQuorin::Program().loadedWindowCount = nullptr;
}

void MainFrame::buildMenus()
{
    std::function<void(QMenu*, const std::vector<Item>&)> fill = [&](QMenu* menu, const std::vector<Item>& items) {
        for (const Item& it : items) {
            if (!it.name) {
                menu->addSeparator();
                continue;
            }
            QAction* action = nullptr;
            if (!it.sub.empty()) {
                QMenu* sub = menu->addMenu(QString::fromLatin1(it.caption));
                sub->setObjectName(QString::fromLatin1(it.name));
                fill(sub, it.sub);
                action = sub->menuAction();
                m_menus[QString::fromLatin1(it.name)] = sub;
            } else {
                action = menu->addAction(QString::fromLatin1(it.caption));
                if (it.key) {
                    action->setShortcut(QKeySequence(QString::fromLatin1(it.key)));
                }
            }
            action->setObjectName(QString::fromLatin1(it.name));
            action->setEnabled(false);
            m_actions[QString::fromLatin1(it.name)] = action;
        }
    };
    for (const TopMenu& top : menuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(top.caption));
        menu->setObjectName(QString::fromLatin1(top.name));
        fill(menu, top.items);
        m_menus[QString::fromLatin1(top.name)] = menu;
        menu->menuAction()->setObjectName(QString::fromLatin1(top.name));
        m_actions[QString::fromLatin1(top.name)] = menu->menuAction();
    }

    // The recent-file entries and Exit close the File menu.
    QMenu* file = m_menus.at(QStringLiteral("mnuFile"));
    file->addSeparator();
    QAction* first = file->addAction(QString());
    first->setObjectName(QStringLiteral("mnuFileList"));
    first->setVisible(false);
    connect(first, &QAction::triggered, this, [this] {
        if (openRecentFile) {
            openRecentFile(0);
        }
    });
    m_fileList.push_back(first);
    m_fileListEnd = file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuFileExit"));
    m_actions[QStringLiteral("mnuFileExit")] = exit;

    for (const char* name : kHiddenItems) {
        m_actions.at(QString::fromLatin1(name))->setVisible(false);
    }
    for (const char* name : kCheckedItems) {
        QAction* a = m_actions.at(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(true);
    }
    for (const char* name : kWorkingItems) {
        m_actions.at(QString::fromLatin1(name))->setEnabled(true);
    }
    // Submenus that hold working items stay open to the user.
    for (auto& [name, menu] : m_menus) {
        bool any = false;
        for (QAction* a : menu->actions()) {
            any = any || (a->isEnabled() && !a->isSeparator());
        }
        if (any || menu->parent() == menuBar() || menu->menuAction()->parent() == menuBar()) {
            menu->menuAction()->setEnabled(true);
        }
    }
    for (const char* top : {"mnuFile", "mnuEdit", "Edit", "mnuView", "mnuInsert", "mnuFormat", "mnuData",
                            "mnuAnalysis", "mnuTree", "mnuToolS", "mnuWindow", "mnuHelp", "mnuFixed"}) {
        m_actions.at(QString::fromLatin1(top))->setEnabled(true);
    }
    // The text-editing Edit menu and the number-format menu start hidden.
    setMenuLive(m_actions.at(QStringLiteral("Edit")), false);
    setMenuLive(m_actions.at(QStringLiteral("mnuFixed")), false);

    connect(exit, &QAction::triggered, this, [this] { close(); });
    connect(action(QStringLiteral("mnuWindowNew")), &QAction::triggered, this, [this] {
        platform::guarded([&](platform::Guard& g) { g.step([&] { NewDocument(); }); });
    });
    connect(action(QStringLiteral("mnuWindowCascade")), &QAction::triggered, this,
            [this] { arrangeWindows(*m_mdi, false); });
    connect(action(QStringLiteral("mnuWindowTile")), &QAction::triggered, this, [this] { arrangeWindows(*m_mdi, true); });
    connect(action(QStringLiteral("mnuWindowArrangeIcons")), &QAction::triggered, this, [this] {
        // Minimised windows line up along the bottom of the frame's client area.
        int x = 0;
        for (QMdiSubWindow* w : m_mdi->subWindowList()) {
            if (w->isMinimized()) {
                w->move(x, m_mdi->viewport()->height() - w->height());
                x += w->width();
            }
        }
    });
    connect(action(QStringLiteral("mnuWindowData")), &QAction::triggered, this, [this] { ShowView(View::Data); });
    connect(action(QStringLiteral("mnuWindowTree")), &QAction::triggered, this, [this] { ShowView(View::Tree); });
    connect(action(QStringLiteral("mnuWindowOutput")), &QAction::triggered, this, [this] { ShowView(View::Output); });
    connect(action(QStringLiteral("mnuToolsGlobalOpt")), &QAction::triggered, this, [this] {
        frmOption options(m_commonDialog, this);
        options.exec();
    });
}

void MainFrame::buildToolbars()
{
    m_tlbStandard = addToolBar(QStringLiteral("Standard"));
    m_tlbStandard->setObjectName(QStringLiteral("tlbStandard"));
    m_tlbFormat = addToolBar(QStringLiteral("Formatting"));
    m_tlbFormat->setObjectName(QStringLiteral("tlbFormat"));
    addToolBarBreak();
    m_tlbDraw = addToolBar(QStringLiteral("Drawing and Forms"));
    m_tlbDraw->setObjectName(QStringLiteral("tlbDraw"));

    m_cboFontName = new QComboBox(m_tlbFormat);
    m_cboFontName->setObjectName(QStringLiteral("cboFontName"));
    m_cboFontName->setEditable(true);
    m_cboFontName->setInsertPolicy(QComboBox::NoInsert);
    m_cboFontName->setMinimumContentsLength(18);
    m_cboFontName->setEditText(QStringLiteral("Arial"));
    m_cboFontSize = new QComboBox(m_tlbFormat);
    m_cboFontSize->setObjectName(QStringLiteral("cboFontSize"));
    m_cboFontSize->setEditable(true);
    m_cboFontSize->setInsertPolicy(QComboBox::NoInsert);
    m_cboFontSize->addItems({QStringLiteral("8"), QStringLiteral("10"), QStringLiteral("12"), QStringLiteral("14"),
                             QStringLiteral("16"), QStringLiteral("18"), QStringLiteral("20"), QStringLiteral("24"),
                             QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72")});
    m_cboFontSize->setEditText(QStringLiteral("10"));
    m_cboZoom = new QComboBox(m_tlbFormat);
    m_cboZoom->setObjectName(QStringLiteral("cboZoom"));
    m_cboZoom->setEditable(true);
    m_cboZoom->setInsertPolicy(QComboBox::NoInsert);
    m_cboZoom->addItems({QStringLiteral("200%"), QStringLiteral("100%"), QStringLiteral("75%"), QStringLiteral("50%"),
                         QStringLiteral("25%")});
    m_cboZoom->setEditText(QStringLiteral("100%"));
    // Numbers are taken as typed: completing "10" to the listed "100%" would
    // turn a refused zoom into an accepted one.
    m_cboFontSize->setCompleter(nullptr);
    m_cboZoom->setCompleter(nullptr);
    m_tlbFormat->addWidget(m_cboFontName);
    m_tlbFormat->addWidget(m_cboFontSize);
    m_tlbFormat->addWidget(m_cboZoom);

    // A choice from the list applies it; a typed value applies on Enter and
    // when the box loses the focus. An editable box keeps the focus and the
    // keys itself (its line edit only hears them from it), so the filter
    // sits on the box.
    connect(m_cboFontName, &QComboBox::activated, this, [this] { cboFontName_Click(); });
    connect(m_cboFontSize, &QComboBox::activated, this, [this] { cboFontSize_Click(); });
    connect(m_cboZoom, &QComboBox::activated, this, [this] { cboZoom_Click(); });
    for (QComboBox* box : {m_cboFontName, m_cboFontSize, m_cboZoom}) {
        box->installEventFilter(this);
    }
}

void MainFrame::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    m_panelText = new QLabel(QStringLiteral("Status"), bar);
    m_panelText->setObjectName(QStringLiteral("Panel1"));
    auto* progressPanel = new QWidget(bar);
    progressPanel->setObjectName(QStringLiteral("Panel2"));
    progressPanel->setMinimumWidth(180);
    auto* stack = new QStackedLayout(progressPanel);
    stack->setContentsMargins(0, 0, 0, 0);
    m_panelDate = new QLabel(bar);
    m_panelDate->setObjectName(QStringLiteral("Panel3"));
    m_panelTime = new QLabel(bar);
    m_panelTime->setObjectName(QStringLiteral("Panel4"));
    bar->addWidget(m_panelText, 1);
    bar->addPermanentWidget(progressPanel);
    bar->addPermanentWidget(m_panelDate);
    bar->addPermanentWidget(m_panelTime);
    auto refresh = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        m_panelDate->setText(QLocale::system().toString(now.date(), QLocale::ShortFormat));
        m_panelTime->setText(QLocale::system().toString(now.time(), QLocale::ShortFormat));
    };
    refresh();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, refresh);
    clock->start(1000);
}

QAction* MainFrame::action(const QString& name) const
{
    const auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* MainFrame::menu(const QString& name) const
{
    const auto it = m_menus.find(name);
    return it == m_menus.end() ? nullptr : it->second;
}

void MainFrame::popupMenu(const QString& name)
{
    if (QMenu* m = menu(name)) {
        m->popup(QCursor::pos());
    }
}

QStatusBar* MainFrame::sbStatusBar() const
{
    return statusBar();
}

QString MainFrame::statusText() const
{
    return m_panelText->text();
}

void MainFrame::showEntry(int index, const std::string& caption)
{
    QMenu* file = m_menus.at(QStringLiteral("mnuFile"));
    while (static_cast<int>(m_fileList.size()) <= index) {
        const int entry = static_cast<int>(m_fileList.size());
        auto* a = new QAction(file);
        a->setObjectName(QStringLiteral("mnuFileList"));
        file->insertAction(m_fileListEnd, a);
        connect(a, &QAction::triggered, this, [this, entry] {
            if (openRecentFile) {
                openRecentFile(entry);
            }
        });
        m_fileList.push_back(a);
    }
    QAction* a = m_fileList[static_cast<std::size_t>(index)];
    a->setText(menuCaption(caption));
    a->setData(QString::fromStdString(caption));
    a->setVisible(true);
    a->setEnabled(true);
}

void MainFrame::hideEntriesFrom(int count)
{
    for (std::size_t i = static_cast<std::size_t>(std::max(count, 0)); i < m_fileList.size(); ++i) {
        m_fileList[i]->setVisible(false);
        m_fileList[i]->setEnabled(false);
    }
}

void MainFrame::Form_Load()
{
    mQuorin::ProgramState& program = mQuorin::Program();
    // Without a stored folder that exists, files are looked for and saved in
    // the user's home folder: the program's own folder (a build tree, or a
    // system folder once installed) is no place for the user's data.
    const std::string homeFolder = QDir::homePath().toStdString();
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { program.gIni().RecentFile(*this); });
        g.step([&] {
            const std::string outDir = program.gIni().OutDir();
            program.gOutDir = FileUtil::IsDirectory(outDir) ? outDir : homeFolder;
        });
        g.step([&] {
            const std::string dataDir = program.gIni().DataDir();
            program.gDataDir = FileUtil::IsDirectory(dataDir) ? dataDir : homeFolder;
        });
        g.step([&] {
            m_cboFontName->clear();
            m_cboFontName->addItems(spreadsheet::screenFontNames());
            m_cboFontName->setEditText(QStringLiteral("Arial"));
        });
    });
}

void MainFrame::Form_Activate()
{
    mQuorin::ProgramState& program = mQuorin::Program();
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { program.BuildColLetters(); });
        // The file of the active document window stays in view: opening a
        // file activates the frame again when its dialog closes.
        g.step([&] { showFileOf(ActiveChild()); });
        g.step([&] {
            if (!program.IsSheetOpen()) {
                return;
            }
            if (frmMDIChild* child = ActiveChild()) {
                focusVisibleView(*child);
            }
        });
        // The frame carries the about window's icon.
        g.step([&] {
            if (windowIcon().cacheKey() != ProgramIcon::icon().cacheKey())
                setWindowIcon(frmAbout().windowIcon());
        });
    });
}

frmMDIChild* MainFrame::LoadDocument()
{
    auto child = std::make_unique<frmMDIChild>(*this);
    child->Form_Load();
    frmMDIChild* raw = child.get();
    QMdiSubWindow* sub = m_mdi->addSubWindow(child.release());
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->hide();
    return raw;
}

void MainFrame::ShowDocument(frmMDIChild* child)
{
    if (!child) {
        return;
    }
    if (auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget())) {
        const bool first = !sub->property("tessarayShown").toBool();
        int shown = 0;
        for (QMdiSubWindow* w : m_mdi->subWindowList()) {
            shown += w != sub && w->isVisible() ? 1 : 0;
        }
        sub->show();
        // A window that opens maximised (as new ones do beside a maximised
        // one) keeps that state.
        if (first && !sub->isMaximized()) {
            // A new window takes three quarters of the frame's client area,
            // a step below the windows already shown, and lies inside it.
            sub->setGeometry(WindowLayout::newWindow(m_mdi->viewport()->size(), shown, cascadeStep(*m_mdi)));
            sub->setProperty("tessarayShown", true);
        }
        m_mdi->setActiveSubWindow(sub);
        // The window's own activation gives the focus to its first field (the
        // formula bar); the keys belong to the sheet, at its active cell.
        focusVisibleView(*child);
    }
}

void MainFrame::focusVisibleView(frmMDIChild& child)
{
    switch (child.visibleView()) {
    case View::Data:
        child.ss()->SetFocus();
        break;
    case View::Tree:
        child.TreeView1()->setFocus();
        break;
    case View::Output:
        child.RichTextBox1()->setFocus();
        break;
    }
}

frmMDIChild* MainFrame::NewDocument()
{
    frmMDIChild* child = LoadDocument();
    ShowDocument(child);
    return child;
}

frmMDIChild* MainFrame::ActiveChild() const
{
    QMdiSubWindow* sub = m_mdi->currentSubWindow();
    if (!sub) {
        sub = m_mdi->activeSubWindow();
    }
    return sub ? qobject_cast<frmMDIChild*>(sub->widget()) : nullptr;
}

std::vector<frmMDIChild*> MainFrame::Documents() const
{
    std::vector<frmMDIChild*> out;
    for (QMdiSubWindow* sub : m_mdi->subWindowList()) {
        if (auto* child = qobject_cast<frmMDIChild*>(sub->widget())) {
            out.push_back(child);
        }
    }
    return out;
}

void MainFrame::subWindowActivated(QMdiSubWindow* window)
{
    frmMDIChild* child = window ? qobject_cast<frmMDIChild*>(window->widget()) : nullptr;
    if (!child || child == m_lastActive) {
        return;
    }
    m_lastActive = child;
    // Only the active window's progress bar shows in the status bar.
    if (QWidget* panel = WinAPI::StatusBarPanel(statusBar(), 2)) {
        if (auto* stack = qobject_cast<QStackedLayout*>(panel->layout());
            stack && stack->indexOf(child->ProgressBar1()) >= 0) {
            stack->setCurrentWidget(child->ProgressBar1());
        }
    }
    SetMenuSet(child->visibleView());
    // The status bar and the formatting toolbar speak of the window in front.
    showFileOf(child);
    if (FormatCommands* format = FormatCommands::of(*this)) {
        format->SyncFontBoxes();
        format->SyncFormatToolbar();
    }
}

void MainFrame::showFileOf(const frmMDIChild* child)
{
    const std::string file = child ? child->fileHeld() : std::string();
    m_panelText->setText(file.empty() ? QStringLiteral("File: No file in buffer")
                                      : QStringLiteral("File: ") + QString::fromStdString(file));
}

void MainFrame::ShowView(View view)
{
    // Without a document window there is no view to show: nothing happens.
    frmMDIChild* child = ActiveChild();
    if (!child) {
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { child->showView(view); });
        g.step([&] { SetMenuSet(view); });
    });
}

void MainFrame::setMenuLive(QAction* action, bool live)
{
    if (!action) {
        return;
    }
    action->setVisible(live);
    // A hidden menu's keys must not reach its commands: its items' shortcuts
    // are put aside while it is hidden and given back when it shows again.
    std::function<void(QAction*)> walk = [&](QAction* a) {
        if (live) {
            const QVariant stash = a->property(ShortcutStash);
            if (stash.isValid()) {
                a->setShortcuts(stash.value<QList<QKeySequence>>());
                a->setProperty(ShortcutStash, QVariant());
            }
        } else if (!a->property(ShortcutStash).isValid()) {
            a->setProperty(ShortcutStash, QVariant::fromValue(a->shortcuts()));
            a->setShortcuts({});
        }
        if (QMenu* m = a->menu()) {
            for (QAction* child : m->actions()) {
                walk(child);
            }
        }
    };
    walk(action);
}

void MainFrame::SetMenuSet(View view)
{
    for (const MenuState& state : MenuSetFor(view)) {
        setMenuLive(action(QString::fromLatin1(state.name)), state.visible);
    }
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_cboFontName || watched == m_cboFontSize || watched == m_cboZoom) {
        auto* box = static_cast<QComboBox*>(watched);
        const bool enter = event->type() == QEvent::KeyPress &&
                           (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        // Leaving the box applies what was typed into it; opening its list
        // is no leaving, and a value nobody typed is not applied again.
        const bool left = event->type() == QEvent::FocusOut &&
                          static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
                          box->lineEdit()->isModified();
        if (enter || left) {
            box->lineEdit()->setModified(false);
            if (box == m_cboFontName) {
                cboFontName_Click();
            } else if (box == m_cboFontSize) {
                cboFontSize_Click();
            } else {
                cboZoom_Click();
            }
            if (enter) {
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrame::cboFontName_Click()
{
    // A name from the list (typed in any case); anything else is no font.
    const int index = m_cboFontName->findText(m_cboFontName->currentText().trimmed(), Qt::MatchFixedString);
    frmMDIChild* child = ActiveChild();
    if (!child || index < 0) {
        return;
    }
    m_cboFontName->setCurrentIndex(index);
    if (applyFontName) {
        try {
            applyFontName(*child, m_cboFontName->itemText(index).toStdString());
        } catch (...) {
            // A name the workbook refuses is ignored, as a refused size is.
        }
    }
    child->ss()->SetFocus();
}

void MainFrame::cboFontSize_Click()
{
    frmMDIChild* child = ActiveChild();
    if (!child) {
        return;
    }
    if (m_cboFontSize->currentText().trimmed().isEmpty()) {
        return;
    }
    const auto size = FontSizeFromText(m_cboFontSize->currentText().toStdString());
    if (!size || *size < MinFontSize || *size > MaxFontSize) {
        // Said once, and the box shows the size the cell kept.
        (void)platform::dialogs().MsgBox(FontSizeRefusal, platform::mb::OkOnly | platform::mb::Exclamation,
                                         FontSizeCaption);
        m_cboFontSize->setEditText(QString::number(child->ss()->workbook().FontSize()));
        return;
    }
    if (applyFontSize) {
        try {
            applyFontSize(*child, *size);
        } catch (...) {
            // A size the workbook refuses is ignored.
        }
    }
    child->ss()->SetFocus();
}

void MainFrame::cboZoom_Click()
{
    // The refusal box takes the focus from the box; that must not ask again.
    if (m_inZoom) {
        return;
    }
    frmMDIChild* child = ActiveChild();
    if (!child) {
        return;
    }
    m_inZoom = true;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            const auto scale = ViewScaleFromText(m_cboZoom->currentText().toStdString());
            if (scale) {
                child->ss()->setViewScale(*scale);
                return;
            }
            (void)platform::dialogs().MsgBox("View Scale must be between 10 and 400", platform::mb::OkCancel,
                                             "View Scale");
            // The workbook keeps its scale and the box shows it again: the
            // list's own entry where it has one (text that a list entry
            // matches but does not hold would be taken as a choice of it on
            // leaving the box).
            const QString kept = QString::number(child->ss()->ViewScale()) + QLatin1Char('%');
            m_cboZoom->setCurrentIndex(m_cboZoom->findText(kept));
            m_cboZoom->setEditText(kept);
        });
    });
    m_inZoom = false;
}

void MainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        Form_Activate();
    }
}

void MainFrame::documentClosing(frmMDIChild& child)
{
    WinAPI::PutInStatusBar(false, child.ProgressBar1(), statusBar(), 2);
    if (m_lastActive == &child) {
        m_lastActive = nullptr;
    }
}

void MainFrame::Form_QueryUnload()
{
    mQuorin::Program().releaseIni();
    platform::rt::Files().CloseAll();
}

bool MainFrame::unloadDocuments()
{
    for (QMdiSubWindow* sub : m_mdi->subWindowList()) {
        if (!sub->close()) {
            return false;
        }
    }
    return true;
}

void MainFrame::Form_Unload()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isWindow() && !qobject_cast<QMenu*>(w)) {
            w->close();
        }
    }
    if (endProcess) {
        endProcess();
    }
}

void MainFrame::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    Form_QueryUnload();
    if (!unloadDocuments()) {
        event->ignore();
        // The program goes on: its new settings object must know the recent
        // files, or the next file opened would write a list of one.
        platform::guarded([&](platform::Guard& g) { g.step([&] { mQuorin::Program().gIni().RecentFile(*this); }); });
        return;
    }
    m_closing = true;
    Form_Unload();
    event->accept();
}

} // namespace shell
