#pragma once

// CPrintTreeView: prints the nodes of a tree view as an indented outline on a
// printer: the title on the first page, one row a node with the connecting
// lines of the tree, the header at the top and the footer at the bottom of
// every page, where "<pag>" becomes the page number.
//
// Walk: node 1 of the control, then in pre-order (a node, its whole subtree,
// then its following siblings). With PrintOnlyExpandedNodes, a node whose
// parent is collapsed is not printed, nor its subtree, nor its following
// siblings. The walk keeps its own stack, so a tree of any depth or any
// number of siblings prints without recursion.
//
// Positions are twips. A row is one screen pixel (15 twips) taller than its
// text, or than its image when an image list is given. Rows are indented by
// the control's Indentation per level; a level whose text would start beyond
// two thirds of the printable width is drawn at that column instead, so the
// rows of very deep trees stay on the paper (their lines drawn up to it).
//
// A failure of the job (no control, an empty control, margins that leave no
// room for a row, a printer error, a device that refuses the document)
// cancels the document, sounds the beep and shows "<number> <description>"
// in an exclamation box titled "Oru"; PrintControl then returns false.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/print/Printer.h"
#include "platform/widgets/treeview/TreeViewModel.h"
#include "trees/print/CPage.h"
#include "trees/print/CText.h"

namespace trees {

class CPrintTreeView {
public:
    CPrintTreeView() = default;
    explicit CPrintTreeView(CPage page) : m_page(std::move(page)) {}

    [[nodiscard]] platform::StdFont& FontNode() noexcept { return m_fontNode; }
    void setFontNode(const platform::StdFont& font) { m_fontNode = font; }
    [[nodiscard]] const platform::ImageList* ImageList() const noexcept { return m_imageList; }
    void setImageList(const platform::ImageList* list) noexcept { m_imageList = list; }
    [[nodiscard]] std::int32_t PrintedNodes() const noexcept { return m_printedNodes; }
    [[nodiscard]] bool PrintOnlyExpandedNodes() const noexcept { return m_onlyExpanded; }
    void setPrintOnlyExpandedNodes(bool value) noexcept { m_onlyExpanded = value; }
    [[nodiscard]] CText& Title() noexcept { return m_title; }
    [[nodiscard]] CPage& Page() noexcept { return m_page; }
    [[nodiscard]] const platform::TreeViewModel* Control() const noexcept { return m_control; }
    // Keeps the control (which must outlive its printing) and takes a copy of
    // its font as the node font.
    void setControl(const platform::TreeViewModel* control, const platform::StdFont& controlFont);

    // Raised when a row no longer fits, before the page's footer is printed.
    std::function<void()> BeforeNewPage;
    // The system's beep on a failed job (none by default).
    std::function<void()> Beep;
    // Screen twips per pixel, horizontally and vertically.
    double TwipsPerPixelX = 15.0;
    double TwipsPerPixelY = 15.0;

    // Prints the whole control; true when the document was sent.
    bool PrintControl(platform::Printer& printer);

private:
    void printRows(platform::Printer& printer);

    const platform::TreeViewModel* m_control = nullptr;
    CPage m_page;
    CText m_title;
    bool m_onlyExpanded = false;
    std::int32_t m_printedNodes = 0;
    const platform::ImageList* m_imageList = nullptr;
    platform::StdFont m_fontNode;
};

} // namespace trees
